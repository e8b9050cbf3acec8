#include "render/TextOutput.h"

#include "render/DisplayRefresh.h"
#include "render/TextCell.h"

namespace om6211 {

void SendToMemory(uint8_t code, Controller& controller, RenderSettings& settings,
                  FrameMemory& memory, RefreshScheduler& scheduler) {
  if (settings.CursorColumn <= settings.TextColumns - 1) {
    drawTextCell(memory.TextLayer, settings.CursorColumn, settings.CursorRow,
                 textCellOf(code, glyphVariantFor(settings.FontName), memory.CustomGlyphs));
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
