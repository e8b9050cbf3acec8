#pragma once

#include <cstdint>
#include <string>

namespace om6211 {

// One line of a GPIO chip.
struct GpioLine {
  // "/dev/gpiochipN", another path, or a chip's name or label ("pinctrl-bcm2711").
  std::string chip;
  uint32_t offset = 0;

  friend bool operator==(const GpioLine&, const GpioLine&) = default;
};

}  // namespace om6211
