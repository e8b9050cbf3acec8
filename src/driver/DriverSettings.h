#pragma once

#include <cstdint>

#include "render/RenderSettings.h"

namespace om6211 {

// The driver's configuration, geometry, cursor and flags: what rendering owns, plus the port,
// the backlight, the contrast and the first-init flag. Every member is initialised to its load
// value by a constant expression, so a static instance is ready before any code runs.
struct DriverSettings : RenderSettings {
  uint32_t PortBase = 0x378;  // data register; the control register is PortBase + 2
  // The data register's backlight bits (0xF0) while the backlight is on, else 0; each bus
  // drives its backlight line from whether it is 0.
  uint32_t BacklightBits = 0;
  bool ContrastOn = false;
  uint8_t ContrastValue = 0;
  bool FirstInitPending = true;
};

}  // namespace om6211
