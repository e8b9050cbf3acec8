#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "host/PortSelection.h"
#include "ports/ftdi/FtdiTransport.h"
#include "ports/linux/PpdevPort.h"
#include "ports/linux/SystemCalls.h"
#include "ports/portable/HardwareBus.h"
#include "ports/portable/HardwarePort.h"
#include "ports/portable/PortOpenError.h"

namespace om6211 {

// The real device a port selection names: a port the driver drives with parallel-port
// register writes (ppdev, direct, gpio), or a bus that takes its frames (spi); neither for the
// virtual panel, which is no hardware. (ftdi is either, as its chip and mode decide.)
struct OpenedHardware {
  std::unique_ptr<HardwarePort> port = nullptr;
  std::unique_ptr<HardwareBus> bus = nullptr;

  // Whichever was opened; none for the virtual panel.
  Hardware* get() const {
    if (port) return port.get();
    return bus.get();
  }
};

// Where the back ends' calls go: the kernel's, and for FTDI adapters a new transport for each
// adapter opened (none in a program without FTDI support).
struct HardwareCalls {
  HardwareCalls(SystemCalls& system,  // NOLINT(google-explicit-constructor): most need only these
                std::function<std::unique_ptr<FtdiTransport>()> newFtdiTransport = {})
      : system(&system), newFtdiTransport(std::move(newFtdiTransport)) {}

  SystemCalls* system;
  std::function<std::unique_ptr<FtdiTransport>()> newFtdiTransport;
};

// Opens the device `selection` names, for a driver configured with the data register
// `portBase` (for "direct:BASE" the driver's registers at `portBase` are carried to those at
// BASE). Raises PortOpenError, leaving nothing open or claimed, when the device cannot be had;
// the message names the fix.
OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase,
                            const HardwareCalls& calls,
                            std::chrono::milliseconds claimWait = PpdevPort::DefaultClaimWait);

// The same through the calls bound, else the real ones: the kernel's and libftdi's (these
// two are in library om6211_libftdi, for the programs that open real hardware).
OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase);
// The same for reopening a device that went away: a claim of a parallel-port device waits at
// most ReopenClaimWait, so that an attempt never stalls the face for long.
OpenedHardware reopenHardware(const PortSelection& selection, uint32_t portBase);
constexpr std::chrono::milliseconds ReopenClaimWait{50};
// Binds the calls openHardware() makes from now on; a test binds fakes, none unbinds them.
void bindHardwareCalls(std::optional<HardwareCalls> calls);

}  // namespace om6211
