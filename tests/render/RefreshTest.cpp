#include <gtest/gtest.h>

#include <vector>

#include "render/DisplayRefresh.h"
#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

// Triggers a refresh through the public path: a graphics upload of an empty rectangle packs
// nothing, then refreshes.
void refresh(DriverRig& rig) {
  static const std::array<uint8_t, 4032> blank{};
  rig.driver.SendToGfxMemory(blank.data(), 1, 0, 0, 0, false);
}

std::vector<Frame> expectedRefresh(int pages, int width, uint8_t dataByte) {
  std::vector<Frame> frames{cmd(0xA6), cmd(0xB0), cmd(0x10), cmd(0x00)};
  for (int page = 0; page < pages; ++page) {
    frames.insert(frames.end(), {cmd(uint8_t(0xB0 + page)), cmd(0x10), cmd(0x00)});
    frames.insert(frames.end(), width, data(dataByte));
  }
  return frames;
}

TEST(Refresh, SendsTextRowsPagesOfGraphicsWidthBytes) {
  struct Case {
    int32_t rows, width;
  };
  for (const Case c : {Case{6, 84}, Case{4, 84}, Case{6, 60}, Case{1, 1}}) {
    DriverRig rig;
    rig.driver.SetIOPropertys("378", {.textRows = c.rows, .graphicsWidth = c.width});
    rig.clearTrace();
    refresh(rig);
    EXPECT_EQ(rig.frames(), expectedRefresh(c.rows, c.width, 0x00)) << c.rows << "x" << c.width;
  }
}

TEST(Refresh, MixModeCombinesTheLayers) {
  struct Case {
    const char* mode;
    uint8_t expected;
  };
  const Case cases[] = {{"XOR", 0xCC}, {"OR", 0xFC}, {"or", 0xFC},      {"AND", 0x30},
                        {"and", 0x30}, {"Or", 0xCC}, {"And", 0xCC},     {"", 0xCC},
                        {"xor", 0xCC}, {"oR", 0xCC}, {"nonsense", 0xCC}};
  for (const Case& c : cases) {
    DriverRig rig;
    rig.settings.present = true;
    rig.settings.contents = std::string("[init]\nText+GraphicsDisplayMode=") + c.mode + "\n";
    rig.configure();
    // Text byte 0x3C at column 0 of page 0: custom glyph 0 with rows 2-5 of its first column.
    CustomGlyphBlock block{};
    for (int row = 2; row <= 5; ++row) block[1 + row] = 1;
    rig.driver.SetCGRAMChar(block);
    rig.driver.SetOutputAddress(0, 0);
    rig.driver.SendToMemory(0);
    // Graphics byte 0xF0 at the same place: rows 4-7 of pixel column 0; the upload refreshes.
    std::array<uint8_t, 4032> bitmap{};
    for (int y = 4; y < 8; ++y) bitmap[y * 84] = 1;
    rig.clearTrace();
    rig.driver.SendToGfxMemory(bitmap.data(), 0, 0, 0, 7, false);
    const auto frames = rig.frames();
    ASSERT_EQ(frames.size(), 1u + 3 + 6 * 87) << c.mode;
    EXPECT_EQ(frames[1 + 3 + 3], data(c.expected)) << c.mode;  // page 0, column 0
  }
}

TEST(Refresh, LeavesTheCursorAtTheOrigin) {
  DriverRig rig;
  rig.driver.SetOutputAddress(7, 3);
  refresh(rig);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 0);
  EXPECT_EQ(rig.driver.settings().CursorRow, 0);
}

}  // namespace
}  // namespace om6211::testing
