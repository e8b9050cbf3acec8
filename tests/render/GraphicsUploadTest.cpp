#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

using Bitmap = std::array<uint8_t, 4032>;

struct GraphicsRig : DriverRig {
  Bitmap bitmap{};
  void light(int x, int y, int stride = 84) { bitmap[x + y * stride] = 1; }
  uint8_t layer(int x, int page) const {
    return driver.frameMemory().GraphicsLayer[FrameMemory::layerIndex(x, page)];
  }
  void upload(int x1, int y1, int x2, int y2, bool inverted = false) {
    driver.SendToGfxMemory(bitmap.data(), uint16_t(x1), uint16_t(y1), uint16_t(x2), uint16_t(y2),
                           inverted);
  }
};

TEST(GraphicsUpload, SinglePixelLandsInItsPageByte) {
  GraphicsRig rig;
  rig.light(10, 13);
  rig.upload(10, 13, 10, 13);
  EXPECT_EQ(rig.layer(10, 1), 0x20);
  const auto frames = rig.frames();
  ASSERT_EQ(frames.size(), 1u + 3 + 6 * 87);
  EXPECT_EQ(frames[0], cmd(0xA6));
  EXPECT_EQ(frames[1 + 3 + 87 + 3 + 10], data(0x20)) << "page 1, column 10 on the wire";
}

TEST(GraphicsUpload, InvertedModeIsSentBeforeTheRefresh) {
  for (const auto& [inverted, mode] : {std::pair{true, 0xA7}, std::pair{false, 0xA6}}) {
    GraphicsRig rig;
    rig.light(0, 0);
    rig.upload(0, 0, 0, 0, inverted);
    EXPECT_EQ(rig.frames().front(), cmd(uint8_t(mode)));
    EXPECT_EQ(rig.layer(0, 0), 0x01) << "the layer itself is never inverted";
    rig.clearTrace();
    rig.upload(0, 0, 0, 0, inverted);
    EXPECT_EQ(rig.frames().front(), cmd(uint8_t(mode))) << "the full refresh repeats the mode";
  }
}

TEST(GraphicsUpload, BitmapStrideIsTheGraphicsWidth) {
  GraphicsRig rig;
  rig.driver.SetIOPropertys("378", {.graphicsWidth = 60});
  rig.light(5, 20, 60);
  rig.upload(0, 16, 59, 23);
  EXPECT_EQ(rig.layer(5, 2), 0x10);
  EXPECT_EQ(rig.frames().back(), data(0x00));
}

// Rectangles on an all-lit bitmap: exactly the columns up to 83 and the pages up to 5 that the
// rectangle touches are packed (rows widened to whole pages, columns not), every other byte
// stays dark, and the refresh is sent whole. A narrow window makes the stride small, so that
// rows far below the glass still index inside the bitmap.
TEST(GraphicsUpload, PacksTheRectangleWidenedToPagesAndCutToTheGlass) {
  struct Box {
    int firstColumn, lastColumn, firstPage, lastPage;
  };
  constexpr Box Nothing{-1, -1, -1, -1};
  struct Case {
    int width, x1, y1, x2, y2;
    Box packed;
  };
  const Case cases[] = {
      {84, 20, 13, 30, 13, {20, 30, 1, 1}},
      {84, 10, 8, 9, 15, Nothing},          // x2 < x1
      {84, 10, 13, 10, 9, {10, 10, 1, 1}},  // y2 < y1 in the same page: that page
      {84, 10, 13, 10, 7, Nothing},         // y2 < y1 in an earlier page
      {84, 0, 0, 65535, 65535, {0, 83, 0, 5}},
      {84, 0, 40, 83, 65535, {0, 83, 5, 5}},
      {84, 83, 0, 65535, 47, {83, 83, 0, 5}},
      {84, 10, 9, 20, 65535, {10, 20, 1, 5}},
      {84, 65535, 9, 20, 30, Nothing},
      {84, 10, 65535, 20, 30, Nothing},
      {84, 65535, 65535, 65535, 65535, Nothing},
      {84, 0, 48, 83, 100, Nothing},  // rows below the glass only
      {1, 0, 0, 65535, 65535, {0, 83, 0, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1) + " - " + std::to_string(c.x2) +
                 "," + std::to_string(c.y2) + " stride " + std::to_string(c.width));
    GraphicsRig rig;
    rig.driver.SetIOPropertys("378", {.graphicsWidth = c.width});
    rig.clearTrace();
    rig.bitmap.fill(1);
    rig.upload(c.x1, c.y1, c.x2, c.y2);
    const Box& box = c.packed;
    for (int x = 0; x < 84; ++x) {
      for (int page = 0; page < 6; ++page) {
        const bool packed = x >= box.firstColumn && x <= box.lastColumn && page >= box.firstPage &&
                            page <= box.lastPage;
        ASSERT_EQ(rig.layer(x, page), packed ? 0xFF : 0x00) << x << ", page " << page;
      }
    }
    EXPECT_EQ(rig.frames().size(), 1u + 3 + 6 * (3 + c.width));
  }
}

TEST(GraphicsUpload, TheHostsBitmapIsOnlyRead) {
  GraphicsRig rig;
  rig.light(1, 1);
  const Bitmap before = rig.bitmap;
  rig.upload(0, 0, 83, 47, true);
  EXPECT_EQ(rig.bitmap, before);
}

}  // namespace
}  // namespace om6211::testing
