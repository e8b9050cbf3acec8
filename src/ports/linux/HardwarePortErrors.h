#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ports/portable/Remedy.h"
#include "seams/PortOpenError.h"

namespace om6211 {

// What kind of device a call was made on; the fixes differ.
enum class DeviceKind : uint8_t { ParallelPort, GpioChip, SpiDevice };

// The remedies of the calls made on a kind of device.
std::span<const Remedy> remediesOf(DeviceKind device);

// The error for `call` ("open", "PPEXCL", "PPCLAIM", "ioperm", "SPI_IOC_WR_MODE", ...) failing
// with `error` (an errno value; ETIMEDOUT for a claim that did not come through in time) while
// opening `target` ("/dev/parport0", "direct:378", "/dev/gpiochip0", "/dev/spidev0.0"); it
// carries `error`.
PortOpenError portOpenError(std::string_view target, std::string_view call, int error,
                            DeviceKind device = DeviceKind::ParallelPort);

// Whether `error` (an errno value) of an access says the device went away.
bool meansDeviceLost(int error);

// The message of an access (`call`: "PPWDATA", "PPWCONTROL", "PPRSTATUS", a GPIO or SPI
// ioctl) that failed with `error` once the device was open.
std::string portFailureMessage(std::string_view target, std::string_view call, int error);

}  // namespace om6211
