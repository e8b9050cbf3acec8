#pragma once

#include <cstdint>
#include <memory>

#include "platform/PortSelection.h"
#include "platform/linux/HardwareBus.h"
#include "platform/linux/HardwarePort.h"
#include "platform/linux/SystemCalls.h"

namespace om6211 {

// The real device a port selection names: a port the driver drives with parallel-port
// register writes (ppdev, direct, gpio), or a bus that takes its frames (spi); neither for the
// virtual panel, which is no hardware.
struct OpenedHardware {
  std::unique_ptr<HardwarePort> port = nullptr;
  std::unique_ptr<HardwareBus> bus = nullptr;

  // Whichever was opened; none for the virtual panel.
  Hardware* get() const {
    if (port) return port.get();
    return bus.get();
  }
};

// Opens the device `selection` names, for a driver configured with the data register
// `portBase` (for "direct:BASE" the driver's registers at `portBase` are carried to those at
// BASE). Raises PortOpenError, leaving nothing open or claimed, when the device cannot be had;
// the message names the fix.
OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase, SystemCalls& calls);
OpenedHardware openHardware(const PortSelection& selection, uint32_t portBase);

}  // namespace om6211
