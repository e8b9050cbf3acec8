#pragma once

#include <array>
#include <cstdint>

#include "driver/DriverSettings.h"
#include "render/FrameMemory.h"
#include "render/GlyphTable.h"
#include "render/TextCell.h"

namespace om6211::lcdd {

// How the bytes of a text map onto the glyph table.
enum class CharMap : uint8_t { Cp1250, Latin1 };

// Composes one frame of the LCDd display model (the driver's 14 x 6 text grid of 6 x 8 pixel
// cells) as a picture in the driver's layer layout. Positions are LCDd's: 1-based cells, (1, 1) top
// left; whatever falls outside the display is clipped.
class PictureComposer {
 public:
  static constexpr int Columns = DriverSettings::MaxTextColumns;
  static constexpr int Rows = DriverSettings::MaxTextRows;
  static constexpr int CellWidth = TextCellWidth;
  static constexpr int CellHeight = DriverSettings::PageHeight;
  static constexpr int CustomCharCount = FrameMemory::CustomGlyphCount;
  // Milliseconds the heartbeat shows each of its two hearts, and the cursor each blink phase.
  static constexpr int64_t HeartbeatPhase = 1000;
  static constexpr int64_t CursorPhase = 500;

  PictureComposer(GlyphVariant font, CharMap charMap) : font_(font), charMap_(charMap) {}

  void clear() { picture_.fill(0); }
  void string(int x, int y, const char* text);
  void chr(int x, int y, uint8_t code);
  void hbar(int x, int y, int len, int promille, int pattern);
  void vbar(int x, int y, int len, int promille, int pattern);
  void num(int x, int digit);
  // False for an icon code without a picture.
  bool icon(int x, int y, int code);
  void heartbeat(int state, int64_t nowMilliseconds);
  void cursor(int x, int y, int type, int64_t nowMilliseconds);
  // `rows` holds one byte per pixel row from the top; bit 5 is the leftmost pixel.
  void setChar(int n, const uint8_t (&rows)[CellHeight]);

  const FrameMemory::Layer& picture() const { return picture_; }

 private:
  void drawCell(int column, int row, const TextCellColumns& cell);
  void setPixel(int64_t x, int64_t y);
  TextCellColumns cellOf(uint8_t code) const;

  GlyphVariant font_;
  CharMap charMap_;
  FrameMemory::Layer picture_{};
  FrameMemory::CustomGlyphStore customChars_{};
};

}  // namespace om6211::lcdd
