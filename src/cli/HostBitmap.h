#pragma once

#include <array>
#include <cstdint>

#include "cli/GrayImage.h"
#include "module/Geometry.h"

namespace om6211::cli {

// The host's graphics bitmap: one byte per pixel, non-zero lit, pixel (x, y) at x + y * stride.
using HostBitmap = std::array<uint8_t, module::Columns * module::Rows>;

// The image made to fit `width` x 48 pixels: scaled down (by averaging, keeping its aspect)
// when it is larger, centred, and turned into lit pixels where it is dark - by a threshold at
// mid-grey, or by error diffusion with `dither`. The bitmap's row stride is `width`.
HostBitmap toHostBitmap(const GrayImage& image, int width, bool dither);

// The image scaled down, by averaging, to fit within the box; smaller images are kept.
GrayImage fitWithin(const GrayImage& image, int boxWidth, int boxHeight);

}  // namespace om6211::cli
