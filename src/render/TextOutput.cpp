#include "render/TextOutput.h"

#include <algorithm>

#include "render/DisplayRefresh.h"
#include "render/GlyphTable.h"
#include "render/TextCursor.h"

namespace om6211 {
namespace {

constexpr uint8_t FirstBuiltInCode = 0x20;

void drawCell(uint8_t code, const DriverSettings& settings, FrameMemory& memory) {
  std::array<uint8_t, TextCellWidth> cell{};  // the sixth column stays blank for built-in glyphs
  if (code >= FirstBuiltInCode) {
    const auto glyph = glyphFor(code, glyphVariantFor(settings.FontName));
    std::copy(glyph.begin(), glyph.end(), cell.begin());
  } else if (code < FrameMemory::CustomGlyphCount) {
    std::copy_n(memory.CustomGlyphs.begin() + code * TextCellWidth, TextCellWidth, cell.begin());
  }  // code 0x1F has no custom glyph store entry: it draws a blank cell
  for (int32_t i = 0; i < TextCellWidth; ++i) {
    const int32_t pixelColumn = settings.CursorColumn * TextCellWidth + i;
    memory.TextLayer[FrameMemory::layerIndex(pixelColumn, settings.CursorRow)] = cell[i];
  }
}

}  // namespace

void SendToMemory(uint8_t code, Controller& controller, DriverSettings& settings,
                  FrameMemory& memory, RefreshScheduler& scheduler) {
  if (settings.CursorColumn <= settings.TextColumns - 1) {
    drawCell(code, settings, memory);
    ++settings.CursorColumn;
  }
  if (settings.CursorColumn > settings.TextColumns - 1 &&
      settings.CursorRow >= settings.TextRows - 1) {
    scheduler.refresh(controller, settings, combinedLayers(memory, settings.MixMode));
  }
}

void SetCGRAMChar(const CustomGlyphBlock& block, FrameMemory& memory) {
  constexpr std::size_t PatternStart = 1;
  constexpr std::size_t RowsPerColumn = 8;
  const std::size_t index = block[0];
  if (index >= FrameMemory::CustomGlyphCount) return;
  for (std::size_t column = 0; column < FrameMemory::CustomGlyphWidth; ++column) {
    uint8_t pageByte = 0;
    for (std::size_t row = 0; row < RowsPerColumn; ++row) {
      if (block[PatternStart + column * RowsPerColumn + row] != 0) pageByte |= 1u << row;
    }
    memory.CustomGlyphs[index * FrameMemory::CustomGlyphWidth + column] = pageByte;
  }
}

}  // namespace om6211
