#pragma once

#include <array>
#include <cstdint>

#include "module/Geometry.h"
#include "render/FrameMemory.h"
#include "render/GlyphTable.h"

namespace om6211 {

// Pixel columns of a text cell: a glyph and its spacing column.
inline constexpr int32_t TextCellWidth = module::CellColumns;

// The page bytes of one text cell, leftmost pixel column first.
using TextCellColumns = std::array<uint8_t, TextCellWidth>;

// What a character code shows in a cell: a code below 0x20 the custom glyph of its number (0x1F,
// which has no entry, a blank cell); any other code its built-in glyph of `variant` with the
// spacing column blank.
TextCellColumns textCellOf(uint8_t code, GlyphVariant variant,
                           const FrameMemory::CustomGlyphStore& customGlyphs);

// Writes `cell` over text cell (column, row) of `layer`, which must lie on the 14 x 6 grid.
void drawTextCell(FrameMemory::Layer& layer, int32_t column, int32_t row,
                  const TextCellColumns& cell);

}  // namespace om6211
