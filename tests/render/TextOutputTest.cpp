#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "render/TextOutput.h"
#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

std::vector<uint8_t> cellAt(const Driver& driver, int column, int row) {
  std::vector<uint8_t> cell;
  for (int i = 0; i < 6; ++i)
    cell.push_back(driver.frameMemory().TextLayer[FrameMemory::layerIndex(column * 6 + i, row)]);
  return cell;
}

int refreshCount(const DriverRig& rig) {
  int pages = 0;
  for (const Frame& f : rig.frames()) pages += f == cmd(0xB5) || f == cmd(0xB2);
  return pages;
}

TEST(TextOutput, LetterADrawsIntoTheCellWithoutPortTraffic) {
  DriverRig rig;
  rig.driver.SendToMemory('A');
  EXPECT_EQ(cellAt(rig.driver, 0, 0), (std::vector<uint8_t>{0x7E, 0x11, 0x11, 0x11, 0x7E, 0x00}));
  EXPECT_EQ(rig.driver.settings().CursorColumn, 1);
  EXPECT_EQ(rig.driver.settings().CursorRow, 0);
  EXPECT_TRUE(rig.trace.operations.empty());
}

TEST(TextOutput, CharactersOverwriteTheWholeCell) {
  DriverRig rig;
  CustomGlyphBlock full{};
  std::fill(full.begin() + 1, full.begin() + 49, 1);
  rig.driver.SetCGRAMChar(full);
  rig.driver.SetOutputAddress(2, 3);
  rig.driver.SendToMemory(0);
  EXPECT_EQ(cellAt(rig.driver, 2, 3), std::vector<uint8_t>(6, 0xFF));
  rig.driver.SetOutputAddress(2, 3);
  rig.driver.SendToMemory('.');
  EXPECT_EQ(cellAt(rig.driver, 2, 3), (std::vector<uint8_t>{0x00, 0x60, 0x60, 0x00, 0x00, 0x00}));
  EXPECT_EQ(cellAt(rig.driver, 3, 3), std::vector<uint8_t>(6, 0x00)) << "neighbour untouched";
}

TEST(TextOutput, OneRefreshWhenTheLastCellOfTheLastRowIsWritten) {
  DriverRig rig;
  rig.driver.SetOutputAddress(0, 5);
  rig.clearTrace();
  for (int i = 0; i < 13; ++i) rig.driver.SendToMemory('a' + i);
  EXPECT_TRUE(rig.trace.operations.empty());
  rig.driver.SendToMemory('n');
  EXPECT_EQ(rig.frames().size(), 3u + 6 * 87);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 0);
  EXPECT_EQ(rig.driver.settings().CursorRow, 0);
}

TEST(TextOutput, CharactersPastTheRowEndAreDropped) {
  DriverRig rig;
  rig.driver.SetOutputAddress(0, 2);
  rig.clearTrace();
  for (int i = 0; i < 14; ++i) rig.driver.SendToMemory('x');
  const FrameMemory before = rig.driver.frameMemory();
  rig.driver.SendToMemory('y');
  EXPECT_TRUE(rig.trace.operations.empty());
  EXPECT_EQ(rig.driver.frameMemory().TextLayer, before.TextLayer);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 14);
  EXPECT_EQ(rig.driver.settings().CursorRow, 2);
}

TEST(TextOutput, SmallerGridRefreshesAfterItsLastCell) {
  DriverRig rig;
  rig.driver.SetIOPropertys("378", {.textColumns = 10, .textRows = 3});
  rig.driver.SetOutputAddress(0, 2);
  rig.clearTrace();
  for (int i = 0; i < 9; ++i) rig.driver.SendToMemory('z');
  EXPECT_TRUE(rig.trace.operations.empty());
  rig.driver.SendToMemory('z');
  EXPECT_EQ(rig.frames().size(), 3u + 3 * 87) << "three pages refreshed";
  EXPECT_EQ(refreshCount(rig), 1);
}

TEST(TextOutput, CustomGlyphPatterns) {
  struct Case {
    std::vector<int> litBytes;  // block offsets set to non-zero
    std::vector<uint8_t> expected;
  };
  std::vector<int> all;
  for (int i = 1; i <= 64; ++i) all.push_back(i);
  const Case cases[] = {
      {all, std::vector<uint8_t>(6, 0xFF)},
      {{1}, {0x01, 0, 0, 0, 0, 0}},
      {{8}, {0x80, 0, 0, 0, 0, 0}},
      {{9}, {0, 0x01, 0, 0, 0, 0}},
      {{48}, {0, 0, 0, 0, 0, 0x80}},
      {{49}, {0, 0, 0, 0, 0, 0}},  // column 6 is not part of the glyph
      {{64}, {0, 0, 0, 0, 0, 0}},
      {{65, 66, 67}, {0, 0, 0, 0, 0, 0}},  // the fill is not read
  };
  for (const Case& c : cases) {
    DriverRig rig;
    CustomGlyphBlock block{};
    block[0] = 5;
    for (int offset : c.litBytes) block[offset] = 0x80;
    rig.driver.SetCGRAMChar(block);
    EXPECT_TRUE(rig.trace.operations.empty());
    rig.driver.SendToMemory(5);
    EXPECT_EQ(cellAt(rig.driver, 0, 0), c.expected) << c.litBytes.front();
  }
}

TEST(TextOutput, RedefiningAGlyphLeavesDrawnCellsAlone) {
  DriverRig rig;
  CustomGlyphBlock block{};
  block[0] = 30;
  block[1] = 1;
  rig.driver.SetCGRAMChar(block);
  rig.driver.SendToMemory(30);
  block[1] = 0;
  rig.driver.SetCGRAMChar(block);
  EXPECT_EQ(cellAt(rig.driver, 0, 0)[0], 0x01);
  rig.driver.SendToMemory(30);
  EXPECT_EQ(cellAt(rig.driver, 1, 0)[0], 0x00);
}

// The glyph store sits in front of a guard zone, so that a glyph written past the store shows
// in a plain build too, not only under a sanitizer.
TEST(TextOutput, GlyphIndexesAbove30ChangeNothing) {
  struct GuardedMemory {
    FrameMemory memory;
    std::array<uint8_t, 256 * FrameMemory::CustomGlyphWidth> guard{};
  };
  CustomGlyphBlock block;
  block.fill(0xFF);
  for (int index = 30; index <= 255; ++index) {
    GuardedMemory guarded{};
    block[0] = static_cast<uint8_t>(index);
    SetCGRAMChar(block, guarded.memory);
    const auto& glyphs = guarded.memory.CustomGlyphs;
    const auto lit = std::count(glyphs.begin(), glyphs.end(), 0xFF);
    ASSERT_EQ(lit, index == 30 ? 6 : 0) << index;
    ASSERT_TRUE(
        std::all_of(guarded.guard.begin(), guarded.guard.end(), [](uint8_t b) { return b == 0; }))
        << "glyph " << index << " was written past the store";
  }
}

TEST(TextOutput, Code1FDrawsABlankCellAndAdvances) {
  DriverRig rig;
  CustomGlyphBlock block;
  block.fill(0xFF);
  block[0] = 30;  // the glyph just below 0x1F, all lit
  rig.driver.SetCGRAMChar(block);
  rig.driver.SendToMemory('W');  // a lit cell to be overwritten
  rig.driver.SetOutputAddress(0, 0);
  rig.driver.SendToMemory(0x1F);
  EXPECT_EQ(cellAt(rig.driver, 0, 0), std::vector<uint8_t>(6, 0x00));
  EXPECT_EQ(rig.driver.settings().CursorColumn, 1);
}

TEST(TextOutput, UpperHalfIgnoresTheFont) {
  for (const char* font : {"Cyrillic", "cyrillic", "Default"}) {
    DriverRig rig;
    rig.settings.present = true;
    rig.settings.contents = std::string("[init]\nTextFont=") + font + "\n";
    rig.configure();
    rig.driver.SendToMemory(0xC9);
    rig.driver.SendToMemory('k');
    EXPECT_EQ(cellAt(rig.driver, 0, 0), (std::vector<uint8_t>{0xF8, 0xA8, 0xAA, 0xA9, 0x88, 0}));
    EXPECT_EQ(cellAt(rig.driver, 1, 0), (std::vector<uint8_t>{0x7F, 0x10, 0x28, 0x44, 0x00, 0}));
  }
}

}  // namespace
}  // namespace om6211::testing
