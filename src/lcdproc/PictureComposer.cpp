#include "lcdproc/PictureComposer.h"

#include <algorithm>

#include "lcdproc/CellPictures.h"
#include "lcdproc/Latin1Text.h"

namespace om6211::lcdd {
namespace {

constexpr int Width = PictureComposer::Columns * PictureComposer::CellWidth;
constexpr int Height = PictureComposer::Rows * PictureComposer::CellHeight;

// LCDd's bar pattern bits.
constexpr int BarPositive = 0x001;
constexpr int BarNegative = 0x002;
constexpr int BarOpen = 0x010;
constexpr int BarStriped = 0x020;
constexpr int BarSeamless = 0x040;

constexpr int IconHeartOpen = 0x108;
constexpr int IconHeartFilled = 0x109;
constexpr int CursorOff = 0;
constexpr int CursorUnderline = 5;

// Pixels of a bar `cells` cells of `cellPixels` long, filled `promille`/1000, to the nearest
// pixel. Everything is 64-bit so that no length or fill can overflow.
int64_t barPixels(int cells, int cellPixels, int promille) {
  const int64_t total = static_cast<int64_t>(std::max(cells, 0)) * cellPixels;
  return (total * std::clamp(promille, 0, 1000) + 500) / 1000;
}

// A bar runs from its origin towards its far end unless only the negative bit is set.
bool runsBackwards(int pattern) {
  return (pattern & (BarPositive | BarNegative)) == BarNegative;
}

}  // namespace

void PictureComposer::setPixel(int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= Width || y >= Height) return;
  picture_[FrameMemory::layerIndex(static_cast<int32_t>(x), static_cast<int32_t>(y / 8))] |=
      static_cast<uint8_t>(1u << (y % 8));
}

void PictureComposer::drawCell(int column, int row, const TextCellColumns& cell) {
  if (column < 0 || row < 0 || column >= Columns || row >= Rows) return;
  drawTextCell(picture_, column, row, cell);
}

TextCellColumns PictureComposer::cellOf(uint8_t code) const {
  // Codes below 0x80, custom glyph numbers among them, are the same in both maps.
  return textCellOf(charMap_ == CharMap::Latin1 ? cp1250CodeOfLatin1(code) : code, font_,
                    customChars_);
}

void PictureComposer::string(int x, int y, const char* text) {
  if (text == nullptr || y < 1 || y > Rows) return;
  // Columns are counted in 64 bits: a text that starts far to the left is walked to the edge.
  int64_t column = static_cast<int64_t>(x) - 1;
  for (const char* c = text; *c != '\0' && column < Columns; ++c, ++column) {
    if (column >= 0) drawCell(static_cast<int>(column), y - 1, cellOf(static_cast<uint8_t>(*c)));
  }
}

void PictureComposer::chr(int x, int y, uint8_t code) {
  if (x < 1 || y < 1) return;
  drawCell(x - 1, y - 1, cellOf(code));
}

void PictureComposer::hbar(int x, int y, int len, int promille, int pattern) {
  if (y < 1 || y > Rows) return;
  const int64_t start = (static_cast<int64_t>(x) - 1) * CellWidth;
  const int64_t total = static_cast<int64_t>(std::max(len, 0)) * CellWidth;
  const int64_t filled = barPixels(len, CellWidth, promille);
  const int64_t first = runsBackwards(pattern) ? start + total - filled : start;
  const bool seamless = (pattern & BarSeamless) != 0;
  const int top = (y - 1) * CellHeight + (seamless ? 0 : 1);
  const int bottom = y * CellHeight - (seamless ? 1 : 2);
  // Only the columns on the display are walked, however long the bar.
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(first + filled, Width);
  for (int64_t px = from; px < to; ++px) {
    if ((pattern & BarStriped) != 0 && (px - first) % 2 == 1) continue;
    const bool edge = px == first || px == first + filled - 1;
    for (int py = top; py <= bottom; ++py) {
      if ((pattern & BarOpen) != 0 && !edge && py != top && py != bottom) continue;
      setPixel(px, py);
    }
  }
}

void PictureComposer::vbar(int x, int y, int len, int promille, int pattern) {
  if (x < 1 || x > Columns) return;
  const int64_t bottom = static_cast<int64_t>(y) * CellHeight - 1;  // lowest pixel row of the bar
  const int64_t total = static_cast<int64_t>(std::max(len, 0)) * CellHeight;
  const int64_t filled = barPixels(len, CellHeight, promille);
  // The filled rows run from `low` up to `high`, bottom to top.
  const int64_t low = runsBackwards(pattern) ? bottom - total + filled : bottom;
  const int64_t high = low - filled + 1;
  const bool seamless = (pattern & BarSeamless) != 0;
  const int left = (x - 1) * CellWidth;
  const int right = left + (seamless ? CellWidth - 1 : CellWidth - 2);
  const int64_t from = std::max<int64_t>(high, 0);
  const int64_t to = std::min<int64_t>(low, Height - 1);
  for (int64_t py = from; py <= to; ++py) {
    if ((pattern & BarStriped) != 0 && (low - py) % 2 == 1) continue;
    const bool edge = py == low || py == high;
    for (int px = left; px <= right; ++px) {
      if ((pattern & BarOpen) != 0 && !edge && px != left && px != right) continue;
      setPixel(px, py);
    }
  }
}

void PictureComposer::num(int x, int digit) {
  const auto art = bigDigitPicture(digit);
  if (!art || x < -Width || x > Columns) return;
  const int left = (x - 1) * CellWidth;
  for (int ax = 0; ax < art->width; ++ax) {
    for (int s = 0; s < BigDigitScale; ++s) {
      const int px = left + ax * BigDigitScale + s;
      if (px < 0 || px >= Width) continue;
      // The digit owns its columns from the top of the display to the bottom.
      for (int page = 0; page < Rows; ++page) picture_[FrameMemory::layerIndex(px, page)] = 0;
      for (int py = 0; py < Height; ++py) {
        if (art->dark(ax, py / BigDigitScale)) setPixel(px, py);
      }
    }
  }
}

bool PictureComposer::icon(int x, int y, int code) {
  const auto art = iconPicture(code);
  if (!art) return false;
  TextCellColumns cell{};
  for (int ax = 0; ax < CellWidth; ++ax) {
    for (int ay = 0; ay < CellHeight; ++ay) {
      if (art->dark(ax, ay)) cell[ax] |= static_cast<uint8_t>(1u << ay);
    }
  }
  if (x >= 1 && y >= 1) drawCell(x - 1, y - 1, cell);
  return true;
}

void PictureComposer::heartbeat(int state, int64_t nowMilliseconds) {
  if (state == 0) return;
  const bool filled = (nowMilliseconds / HeartbeatPhase) % 2 == 0;
  icon(Columns, 1, filled ? IconHeartFilled : IconHeartOpen);
}

void PictureComposer::cursor(int x, int y, int type, int64_t nowMilliseconds) {
  if (type == CursorOff || x < 1 || y < 1 || x > Columns || y > Rows) return;
  if ((nowMilliseconds / CursorPhase) % 2 == 1) return;  // the dark half of the blink
  for (int i = 0; i < CellWidth; ++i) {
    uint8_t& pageByte = picture_[FrameMemory::layerIndex((x - 1) * CellWidth + i, y - 1)];
    if (type == CursorUnderline) {
      pageByte |= 0x80;
    } else {
      pageByte = static_cast<uint8_t>(~pageByte);  // a block shows the cell inverted
    }
  }
}

void PictureComposer::setChar(int n, const uint8_t (&rows)[CellHeight]) {
  if (n < 0 || n >= CustomCharCount) return;
  for (int column = 0; column < CellWidth; ++column) {
    uint8_t pageByte = 0;
    for (int row = 0; row < CellHeight; ++row) {
      if ((rows[row] >> (CellWidth - 1 - column)) & 1) pageByte |= static_cast<uint8_t>(1u << row);
    }
    customChars_[static_cast<std::size_t>(n * CellWidth + column)] = pageByte;
  }
}

}  // namespace om6211::lcdd
