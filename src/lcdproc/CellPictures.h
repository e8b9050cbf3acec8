#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace om6211::lcdd {

// A picture drawn as text art: rows from the top, '#' a dark pixel, anything else a clear one.
struct ArtPicture {
  int width;   // pixel columns
  int height;  // pixel rows
  std::string_view art;

  bool dark(int x, int y) const { return art[static_cast<std::size_t>(y * width + x)] == '#'; }
};

// The 6 x 8 picture of an LCDd icon code; none for a code without one.
std::optional<ArtPicture> iconPicture(int code);

// Big digits 0-9 and the colon (10), 48 pixel rows tall: digits three cells wide, the colon
// one. Each art pixel stands for a square of BigDigitScale x BigDigitScale display pixels.
inline constexpr int BigDigitScale = 3;
inline constexpr int BigColon = 10;
std::optional<ArtPicture> bigDigitPicture(int digit);

}  // namespace om6211::lcdd
