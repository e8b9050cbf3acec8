// What the composer draws that depends on time or on a bar's pattern bits.
#include <gtest/gtest.h>

#include "lcdproc/PictureComposer.h"

namespace {

using om6211::FrameMemory;
using om6211::GlyphVariant;
using om6211::lcdd::CharMap;
using om6211::lcdd::PictureComposer;

char pixel(const PictureComposer& composer, int x, int y) {
  return (composer.picture()[FrameMemory::layerIndex(x, y / 8)] >> (y % 8)) & 1 ? '#' : '.';
}

// The pixel columns of row `y` that are lit.
std::string row(const PictureComposer& composer, int y, int from = 0, int to = 84) {
  std::string pixels;
  for (int x = from; x < to; ++x) pixels += pixel(composer, x, y);
  return pixels;
}

// The pixel rows of column `x` that are lit, from row `from` down to row `to` - 1.
std::string column(const PictureComposer& composer, int x, int from, int to) {
  std::string pixels;
  for (int y = from; y < to; ++y) pixels += pixel(composer, x, y);
  return pixels;
}

TEST(PictureComposer, HeartbeatAlternatesEverySecondAndCursorBlinks) {
  PictureComposer composer(GlyphVariant::Default, CharMap::Cp1250);
  auto cellAt = [&](auto draw) {
    composer.clear();
    composer.string(1, 1, "A");
    draw();
    return composer.picture();
  };
  const auto filled = cellAt([&] { composer.heartbeat(1, 0); });
  EXPECT_EQ(cellAt([&] { composer.heartbeat(1, 999); }), filled);
  const auto open = cellAt([&] { composer.heartbeat(1, 1000); });
  EXPECT_NE(open, filled);
  EXPECT_EQ(cellAt([&] { composer.heartbeat(1, 2000); }), filled);

  const auto plain = cellAt([] {});
  const auto block = cellAt([&] { composer.cursor(1, 1, 4, 0); });
  for (int x = 0; x < 6; ++x) EXPECT_EQ(block[x * 6], static_cast<uint8_t>(~plain[x * 6]));
  const auto underline = cellAt([&] { composer.cursor(1, 1, 5, 0); });
  for (int x = 0; x < 6; ++x) EXPECT_EQ(underline[x * 6], plain[x * 6] | 0x80);
  for (int type : {4, 5, 1}) EXPECT_EQ(cellAt([&] { composer.cursor(1, 1, type, 500); }), plain);
}

TEST(PictureComposer, BarPatternBitsShapeTheBar) {
  struct Case {
    int pattern;
    const char* top;     // pixel row 1 of the cell (row 0 only when seamless), columns 0-17
    const char* middle;  // pixel row 3
  };
  const Case cases[] = {
      {0x000, "#########.........", "#########........."},  // filled, from the left
      {0x001, "#########.........", "#########........."},
      {0x002, ".........#########", ".........#########"},  // negative: from the far end
      {0x003, "#########.........", "#########........."},
      {0x010, "#########.........", "#.......#........."},  // open: the outline only
      {0x020, "#.#.#.#.#.........", "#.#.#.#.#........."},  // striped
  };
  PictureComposer composer(GlyphVariant::Default, CharMap::Cp1250);
  for (const Case& c : cases) {
    composer.clear();
    composer.hbar(1, 1, 3, 500, c.pattern);
    EXPECT_EQ(row(composer, 0, 0, 18), std::string(18, '.')) << c.pattern;
    EXPECT_EQ(row(composer, 1, 0, 18), c.top) << c.pattern;
    EXPECT_EQ(row(composer, 3, 0, 18), c.middle) << c.pattern;
    EXPECT_EQ(row(composer, 7, 0, 18), std::string(18, '.')) << c.pattern;
  }
  composer.clear();
  composer.hbar(1, 1, 3, 500, 0x040);  // seamless: the whole cell height
  EXPECT_EQ(row(composer, 0, 0, 18), "#########.........");
  EXPECT_EQ(row(composer, 7, 0, 18), "#########.........");
}

TEST(PictureComposer, VerticalBarPatternBitsShapeTheBar) {
  struct Case {
    int pattern;
    const char* edge;    // pixel columns 0 and 4 of the cell, rows 8-23
    const char* middle;  // pixel column 2
  };
  const Case cases[] = {
      {0x000, "........########", "........########"},  // filled, from the bottom
      {0x002, "########........", "########........"},  // negative: from the far end
      {0x010, "........########", "........#......#"},  // open: the outline only
      {0x020, ".........#.#.#.#", ".........#.#.#.#"},  // striped
  };
  PictureComposer composer(GlyphVariant::Default, CharMap::Cp1250);
  for (const Case& c : cases) {
    composer.clear();
    composer.vbar(1, 3, 2, 500, c.pattern);
    EXPECT_EQ(column(composer, 0, 8, 24), c.edge) << c.pattern;
    EXPECT_EQ(column(composer, 2, 8, 24), c.middle) << c.pattern;
    EXPECT_EQ(column(composer, 4, 8, 24), c.edge) << c.pattern;
    EXPECT_EQ(column(composer, 5, 0, 48), std::string(48, '.')) << "the spacing column";
  }
  composer.clear();
  composer.vbar(1, 3, 2, 500, 0x040);  // seamless: the whole cell width
  EXPECT_EQ(column(composer, 5, 8, 24), "........########");
}

}  // namespace
