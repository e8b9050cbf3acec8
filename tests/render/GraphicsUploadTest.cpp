#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

using Bitmap = std::array<uint8_t, 4032>;

struct GraphicsRig : DriverRig {
  Bitmap bitmap{};
  void light(int x, int y, int stride = 84) { bitmap[x + y * stride] = 1; }
  uint8_t layer(int x, int page) const { return driver.frameMemory().GraphicsLayer[x * 6 + page]; }
  void upload(int x1, int y1, int x2, int y2, bool inverted = false) {
    driver.SendToGfxMemory(bitmap.data(), uint16_t(x1), uint16_t(y1), uint16_t(x2), uint16_t(y2),
                           inverted);
  }
};

TEST(GraphicsUpload, SinglePixelLandsInItsPageByte) {
  GraphicsRig rig;
  rig.light(10, 13);
  rig.upload(10, 13, 10, 13);
  EXPECT_EQ(rig.driver.frameMemory().GraphicsLayer[61], 0x20);
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
  }
}

TEST(GraphicsUpload, RowsAreWidenedToWholePagesButColumnsAreNot) {
  GraphicsRig rig;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 84; ++x) rig.light(x, y);
  }
  rig.upload(20, 13, 30, 13);
  for (int x = 0; x < 84; ++x) {
    for (int page = 0; page < 6; ++page) {
      const bool packed = page == 1 && x >= 20 && x <= 30;
      EXPECT_EQ(rig.layer(x, page), packed ? 0xFF : 0x00) << x << "," << page;
    }
  }
}

TEST(GraphicsUpload, ReversedRectangles) {
  struct Case {
    int x1, y1, x2, y2;
    bool packsPage1;
  };
  const Case cases[] = {
      {10, 8, 9, 15, false},   // x2 < x1: nothing packed
      {10, 13, 10, 9, true},   // y2 < y1 in the same page: that page
      {10, 13, 10, 7, false},  // y2 < y1 in an earlier page: nothing
  };
  for (const Case& c : cases) {
    GraphicsRig rig;
    rig.light(10, 12);
    rig.upload(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(rig.layer(10, 1), c.packsPage1 ? 0x10 : 0x00) << c.x1 << "," << c.y1;
    EXPECT_EQ(rig.frames().size(), 1u + 3 + 6 * 87) << "mode and refresh are still sent";
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

TEST(GraphicsUpload, OversizedRectanglesStayInsideTheBitmapAndTheLayer) {
  struct Case {
    int x1, y1, x2, y2;
  };
  const Case cases[] = {{0, 0, 65535, 65535},
                        {0, 40, 83, 65535},
                        {65535, 65535, 65535, 65535},
                        {83, 0, 65535, 47},
                        {0, 48, 83, 100}};
  for (const Case& c : cases) {
    GraphicsRig rig;
    rig.bitmap.fill(1);
    rig.upload(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(rig.frames().size(), 1u + 3 + 6 * 87) << c.x1 << "," << c.y1;
  }
}

TEST(GraphicsUpload, RowsBeyondTheBitmapDoNotWipeTheBottomPage) {
  GraphicsRig rig;
  rig.light(3, 47);
  rig.upload(0, 40, 83, 47);
  ASSERT_EQ(rig.layer(3, 5), 0x80);
  rig.bitmap.fill(0);
  rig.upload(0, 48, 83, 63);  // the host names rows below the glass only
  EXPECT_EQ(rig.layer(3, 5), 0x80);
}

TEST(GraphicsUpload, NullBitmapSendsAndChangesNothing) {
  GraphicsRig rig;
  rig.driver.SendToGfxMemory(nullptr, 0, 0, 83, 47, true);
  EXPECT_TRUE(rig.trace.operations.empty());
}

TEST(GraphicsUpload, TheHostsBitmapIsOnlyRead) {
  GraphicsRig rig;
  rig.light(1, 1);
  const Bitmap before = rig.bitmap;
  rig.upload(0, 0, 83, 47, true);
  EXPECT_EQ(rig.bitmap, before);
}

// A whole screen of text over a graphic: every data byte of the refresh is the combination of
// the two pictures, computed here pixel by pixel from the inputs.
TEST(GraphicsUpload, EndToEndScreenOfTextAndGraphics) {
  for (const char* mode : {"XOR", "OR", "AND"}) {
    GraphicsRig rig;
    rig.settings.present = true;
    rig.settings.contents = std::string("[init]\nText+GraphicsDisplayMode=") + mode + "\n";
    rig.configure();
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 84; ++x) {
        if ((x / 3 + y / 2) % 3 == 0) rig.light(x, y);
      }
    }
    rig.upload(0, 0, 83, 47);
    // Text: 'H' (7F 08 08 08 7F) in every cell.
    const uint8_t h[6] = {0x7F, 0x08, 0x08, 0x08, 0x7F, 0x00};
    rig.clearTrace();
    for (int row = 0; row < 6; ++row) {
      rig.driver.SetOutputAddress(0, row);
      for (int column = 0; column < 14; ++column) rig.driver.SendToMemory('H');
    }
    std::vector<uint8_t> sent;
    for (const Frame& f : rig.frames()) {
      if (f.isData) sent.push_back(f.value);
    }
    ASSERT_EQ(sent.size(), 504u) << mode;
    auto combine = [mode = std::string(mode)](uint8_t g, uint8_t t) {
      return uint8_t(mode == "OR" ? (g | t) : mode == "AND" ? (g & t) : (g ^ t));
    };
    for (int page = 0; page < 6; ++page) {
      for (int x = 0; x < 84; ++x) {
        uint8_t graphics = 0;
        for (int bit = 0; bit < 8; ++bit) {
          if ((x / 3 + (page * 8 + bit) / 2) % 3 == 0) graphics |= 1 << bit;
        }
        const uint8_t text = h[x % 6];
        ASSERT_EQ(sent[page * 84 + x], combine(graphics, text)) << mode << " " << x << "," << page;
      }
    }
  }
}

}  // namespace
}  // namespace om6211::testing
