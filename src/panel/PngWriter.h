#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "panel/Glass.h"

namespace om6211::panel {

// How the glass is drawn: each pixel becomes a square of `scale` x `scale` image pixels; from a
// scale of 3 up a one-pixel grid line separates the pixels, as on the real glass.
struct PngStyle {
  int scale = 4;
  bool grid = true;
};

// The picture is (84 * scale) x (48 * scale) pixels, RGB.
int pngWidth(const PngStyle& style);
int pngHeight(const PngStyle& style);

// Writes the glass as a PNG file: a grey-green background with the backlight off and a bright
// yellow-green one with it on, dark pixels shaded by the contrast. Returns the problem, if any.
std::optional<std::string> writePng(const Glass& glass, const PngStyle& style,
                                    const std::string& path);
// The same into an open file, from where it stands; the file is flushed, not closed. `name`
// is used in messages.
std::optional<std::string> writePng(const Glass& glass, const PngStyle& style, std::FILE* file,
                                    const std::string& name);

}  // namespace om6211::panel
