#include "platform/linux/OpenedHardware.h"

#include "platform/linux/DirectPort.h"
#include "platform/linux/GpioPort.h"
#include "platform/linux/PpdevPort.h"
#include "platform/linux/SpidevBus.h"

namespace om6211 {

OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase, SystemCalls& calls) {
  switch (selection.kind) {
    case PortSelection::Kind::Direct:
      return {.port = std::make_unique<DirectPort>(static_cast<uint16_t>(selection.base), portBase,
                                                   calls)};
    case PortSelection::Kind::Ppdev:
      return {.port = std::make_unique<PpdevPort>(selection.device, portBase, calls)};
    case PortSelection::Kind::Gpio:
      return {.port = std::make_unique<GpioPort>(selection, portBase, calls)};
    case PortSelection::Kind::Spi:
      return {.bus = std::make_unique<SpidevBus>(selection, calls)};
    case PortSelection::Kind::Virtual:
      break;
  }
  return {};
}

OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase) {
  return openHardware(selection, portBase, realSystemCalls());
}

}  // namespace om6211
