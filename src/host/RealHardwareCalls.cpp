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

OpenedHardware reopenHardware(const PortSelection& selection, uint32_t portBase) {
  if (boundCalls) return openHardware(selection, portBase, *boundCalls, ReopenClaimWait);
  return openHardware(selection, portBase, HardwareCalls(realSystemCalls(), newLibftdiTransport),
                      ReopenClaimWait);
}

}  // namespace om6211
