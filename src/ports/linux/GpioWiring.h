#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace om6211 {

// The module's inputs on lines of one GPIO chip, by line offset; a line left out is not
// requested (chip select and the backlight need not be wired).
struct GpioWiring {
  std::string chip;  // a path, or the name or label of one of /dev/gpiochip0-63
  std::optional<uint32_t> clock;
  std::optional<uint32_t> data;
  std::optional<uint32_t> reset;
  std::optional<uint32_t> backlight;
  std::optional<uint32_t> chipSelect;
};

}  // namespace om6211
