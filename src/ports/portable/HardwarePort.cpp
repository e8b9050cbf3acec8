#include "ports/portable/HardwarePort.h"

#include <cstdio>

#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

std::string hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace

void HardwarePort::refuse(const char* access, uint32_t port) {
  fail(std::string(access) + " port " + hex(port) + " refused: " + name() +
       " carries only the data register " + hex(portBase_) + ", the control register " +
       hex(portBase_ + 2) + ", the status register " + hex(portBase_ + 1) + " and the delay port " +
       hex(DelayPort) + "." + troubleshootingReference("port-address-refused"));
}

}  // namespace om6211
