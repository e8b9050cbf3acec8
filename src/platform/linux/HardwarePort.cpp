#include "platform/linux/HardwarePort.h"

#include <charconv>
#include <cstdio>

#include "platform/linux/DirectPort.h"
#include "platform/linux/PpdevPort.h"

namespace om6211 {
namespace {

constexpr std::string_view PpdevPrefix = "ppdev:";
constexpr std::string_view DirectPrefix = "direct:";
constexpr uint32_t ParallelPortDefaultBase = 0x378;

PortOpenError malformed(std::string_view selection) {
  return PortOpenError("unknown port '" + std::string(selection) +
                       "': name the parallel-port device as ppdev:/dev/parportN, or a port for "
                       "direct access as direct:BASE (BASE in hexadecimal, e.g. direct:378)");
}

// BASE of "direct:BASE": hexadecimal, with room for the three registers.
uint16_t directBase(std::string_view selection) {
  const std::string_view digits = selection.substr(DirectPrefix.size());
  uint32_t base = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, base, 16);
  if (digits.empty() || error != std::errc() || stop != end || base > 0xFFFD) {
    throw malformed(selection);
  }
  return static_cast<uint16_t>(base);
}

std::string hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace

void HardwarePort::fail(std::string message) {
  ++failureCount_;
  lastFailure_ = std::move(message);
  throw PortFailure(lastFailure_);
}

void HardwarePort::refuse(const char* access, uint32_t port) {
  fail(std::string(access) + " port " + hex(port) + " refused: " + name_ +
       " carries only the data register " + hex(portBase_) + ", the control register " +
       hex(portBase_ + 2) + ", the status register " + hex(portBase_ + 1) + " and the delay port " +
       hex(DelayPort));
}

bool namesHardwarePort(std::string_view selection) {
  return selection.starts_with(PpdevPrefix) || selection.starts_with(DirectPrefix);
}

uint32_t defaultPortBase(std::string_view selection) {
  if (selection.starts_with(DirectPrefix)) return directBase(selection);
  if (selection.starts_with(PpdevPrefix) && selection.size() > PpdevPrefix.size()) {
    return ParallelPortDefaultBase;
  }
  throw malformed(selection);
}

std::unique_ptr<HardwarePort> openHardwarePort(std::string_view selection, uint32_t portBase,
                                               SystemCalls& calls) {
  if (selection.starts_with(DirectPrefix)) {
    return std::make_unique<DirectPort>(directBase(selection), portBase, calls);
  }
  if (selection.starts_with(PpdevPrefix) && selection.size() > PpdevPrefix.size()) {
    return std::make_unique<PpdevPort>(std::string(selection.substr(PpdevPrefix.size())), portBase,
                                       calls);
  }
  throw malformed(selection);
}

std::unique_ptr<HardwarePort> openHardwarePort(std::string_view selection, uint32_t portBase) {
  return openHardwarePort(selection, portBase, realSystemCalls());
}

}  // namespace om6211
