#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace om6211::panel {

// What the glass of the module shows at one moment: which of its 84 x 48 pixels are dark, and
// the two things besides the pixels that a person sees.
struct Glass {
  static constexpr int Width = 84;
  static constexpr int Height = 48;

  std::array<bool, Width * Height> dark{};  // pixel (x, y) is dark[x + y * Width]
  bool backlight = false;
  // How dark a dark pixel looks, from 0 (invisible) to 1 (black); follows the contrast.
  double darkness = 0;

  bool isDark(int x, int y) const { return dark[static_cast<std::size_t>(x + y * Width)]; }
};

}  // namespace om6211::panel
