#include "render/TextCell.h"

#include <algorithm>

namespace om6211 {
namespace {

constexpr uint8_t FirstBuiltInCode = 0x20;

}  // namespace

TextCellColumns textCellOf(uint8_t code, GlyphVariant variant,
                           const FrameMemory::CustomGlyphStore& customGlyphs) {
  TextCellColumns cell{};  // the spacing column stays blank for built-in glyphs
  if (code >= FirstBuiltInCode) {
    const auto glyph = glyphFor(code, variant);
    std::copy(glyph.begin(), glyph.end(), cell.begin());
  } else if (code < FrameMemory::CustomGlyphCount) {
    std::copy_n(customGlyphs.begin() + code * TextCellWidth, TextCellWidth, cell.begin());
  }
  return cell;
}

void drawTextCell(FrameMemory::Layer& layer, int32_t column, int32_t row,
                  const TextCellColumns& cell) {
  for (int32_t i = 0; i < TextCellWidth; ++i) {
    layer[FrameMemory::layerIndex(column * TextCellWidth + i, row)] = cell[i];
  }
}

}  // namespace om6211
