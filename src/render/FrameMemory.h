#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "module/Geometry.h"

namespace om6211 {

// The picture the driver keeps, since it never reads the display back. Both layers hold 84
// pixel columns of 6 pages whatever geometry is configured: byte x * 6 + page is the page byte
// of pixel column x (bit 0 at the top).
struct FrameMemory {
  static constexpr std::size_t LayerBytes = module::RamBytes;
  static constexpr std::size_t CustomGlyphCount = 31;
  static constexpr std::size_t CustomGlyphWidth = module::CellColumns;

  static constexpr std::size_t layerIndex(int32_t pixelColumn, int32_t page) {
    return static_cast<std::size_t>(pixelColumn * module::Pages + page);
  }

  // One plane of page bytes in the layout above.
  using Layer = std::array<uint8_t, LayerBytes>;

  // Custom glyph n in bytes n * 6 to n * 6 + 5, one page byte per pixel column.
  using CustomGlyphStore = std::array<uint8_t, CustomGlyphCount * CustomGlyphWidth>;

  Layer GraphicsLayer{};
  Layer TextLayer{};
  CustomGlyphStore CustomGlyphs{};
};

}  // namespace om6211
