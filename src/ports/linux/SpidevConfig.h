#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ports/linux/GpioLine.h"

namespace om6211 {

// The module on an spidev device: the controller's own lines carry clock, data and chip
// select; reset (and the backlight when wired) are GPIO lines, on any chips.
struct SpidevConfig {
  std::string device;  // "/dev/spidevB.C"
  uint32_t speedHz;
  GpioLine reset;
  std::optional<GpioLine> backlight;
};

}  // namespace om6211
