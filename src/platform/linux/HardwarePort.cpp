#include "platform/linux/HardwarePort.h"

#include <cstdio>

#include "platform/linux/DirectPort.h"
#include "platform/linux/PpdevPort.h"

namespace om6211 {
namespace {

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

std::unique_ptr<HardwarePort> openHardwarePort(const PortSelection& selection, uint32_t portBase,
                                               SystemCalls& calls) {
  switch (selection.kind) {
    case PortSelection::Kind::Direct:
      return std::make_unique<DirectPort>(static_cast<uint16_t>(selection.base), portBase, calls);
    case PortSelection::Kind::Ppdev:
      return std::make_unique<PpdevPort>(selection.device, portBase, calls);
    case PortSelection::Kind::Virtual:
      break;
  }
  return nullptr;
}

std::unique_ptr<HardwarePort> openHardwarePort(const PortSelection& selection, uint32_t portBase) {
  return openHardwarePort(selection, portBase, realSystemCalls());
}

}  // namespace om6211
