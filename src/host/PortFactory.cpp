#include "host/PortFactory.h"

#include "ports/ftdi/FtdiConnection.h"
#include "ports/linux/DirectPort.h"
#include "ports/linux/GpioPort.h"
#include "ports/linux/PpdevPort.h"
#include "ports/linux/SpidevBus.h"
#include "ports/portable/Remedy.h"

namespace om6211 {

OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase,
                            const HardwareCalls& calls, std::chrono::milliseconds claimWait) {
  SystemCalls& system = *calls.system;
  switch (selection.kind) {
    case PortSelection::Kind::Direct:
      return {.port = std::make_unique<DirectPort>(static_cast<uint16_t>(selection.base), portBase,
                                                   system)};
    case PortSelection::Kind::Ppdev:
      return {.port = std::make_unique<PpdevPort>(selection.device, portBase, system, claimWait)};
    case PortSelection::Kind::Gpio:
      return {.port = std::make_unique<GpioPort>(selection.gpioWiring(), portBase, system)};
    case PortSelection::Kind::Spi:
      return {.bus = std::make_unique<SpidevBus>(selection.spidevConfig(), system)};
    case PortSelection::Kind::Ftdi: {
      if (!calls.newFtdiTransport) {
        throw PortOpenError("ftdi: this program was built without FTDI support (libftdi1)." +
                                troubleshootingReference("ftdi-not-built"),
                            ENOTSUP);
      }
      FtdiConnection adapter = openFtdi(selection.ftdi, portBase, calls.newFtdiTransport());
      return {.port = std::move(adapter.port), .bus = std::move(adapter.bus)};
    }
    case PortSelection::Kind::Virtual:
      break;
  }
  return {};
}

}  // namespace om6211
