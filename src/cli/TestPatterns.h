#pragma once

#include <optional>
#include <string_view>

#include "cli/HostBitmap.h"

namespace om6211::cli {

// The full-screen pictures that tell wiring, timing and contrast faults apart, as host
// bitmaps (84 x 48, one byte per pixel, 1 = lit):
//   border   — the outermost pixel ring: geometry, addressing, a lost first or last column;
//   checker  — single-pixel checkerboard: every bit alternates, a lost or extra clock shows;
//   all-on, all-off — contrast and dead pixels;
//   columns  — every other pixel column lit: whole data bytes 0xFF / 0x00 in turn;
//   pages    — page p has its top p + 1 rows lit: pages swapped or repeated show at once.
std::optional<HostBitmap> patternBitmap(std::string_view name);

}  // namespace om6211::cli
