#include "host/PortFactory.h"

namespace om6211 {
namespace {

std::optional<HardwareCalls> boundCalls;

}  // namespace

void bindHardwareCalls(std::optional<HardwareCalls> calls) {
  boundCalls = std::move(calls);
}

OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase) {
  if (boundCalls) return openHardware(selection, portBase, *boundCalls);
  return openHardware(selection, portBase, HardwareCalls(realSystemCalls(), newLibftdiTransport));
}

}  // namespace om6211
