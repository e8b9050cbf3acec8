// Image files into the host bitmap: PBM reading with its messages, fitting and thresholds.
#include <gtest/gtest.h>

#include "cli/GrayImage.h"
#include "cli/HostBitmap.h"

namespace om6211::cli {
namespace {

TEST(ImageInputTest, PlainAndRawPbmGiveTheSamePixels) {
  const LoadedImage plain = parsePbm("P1\n# comment\n3 2\n1 0 1\n0 1 0\n", "a.pbm");
  const LoadedImage raw = parsePbm(std::string("P4\n3 2\n") + "\xA0\x40", "b.pbm");
  ASSERT_FALSE(plain.problem) << *plain.problem;
  ASSERT_FALSE(raw.problem) << *raw.problem;
  EXPECT_EQ(plain.image.levels, (std::vector<uint8_t>{0, 255, 0, 255, 0, 255}));
  EXPECT_EQ(raw.image.levels, plain.image.levels);
}

TEST(ImageInputTest, MalformedPbmNamesFileAndLine) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"P3\n1 1\n0\n", "x.pbm:1: not a PBM image"},
      {"P1\n# size next\nx 2\n", "x.pbm:3: the width"},
      {"P1\n2 0\n", "x.pbm:2: the height"},
      {"P1\n2 2\n1 0\n1\n", "expected a pixel"},
      {"P1\n2 2\n1 0\n1 2\n", "x.pbm:4: expected a pixel"},
      {"P4\n16 2\n\x01", "x.pbm:2: the pixel data is shorter"},
      {"P1\n99999 99999\n", "too large"},
  };
  for (const Case& c : cases) {
    const LoadedImage loaded = parsePbm(c.text, "x.pbm");
    ASSERT_TRUE(loaded.problem) << c.text;
    EXPECT_NE(loaded.problem->find(c.message), std::string::npos) << *loaded.problem;
  }
}

TEST(ImageInputTest, LargeImagesAreScaledDownKeepingProportions) {
  GrayImage image{168, 48, std::vector<uint8_t>(168 * 48, 255)};
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 84; ++x) image.levels[static_cast<std::size_t>(y * 168 + x)] = 0;
  }
  const GrayImage fitted = fitWithin(image, 84, 48);
  EXPECT_EQ(fitted.width, 84);
  EXPECT_EQ(fitted.height, 24);
  EXPECT_EQ(fitted.at(0, 0), 0);
  EXPECT_EQ(fitted.at(41, 10), 0);
  EXPECT_EQ(fitted.at(42, 10), 255);
}

TEST(ImageInputTest, BitmapIsCentredWithTheConfiguredStride) {
  GrayImage dot{2, 2, {0, 255, 255, 0}};
  const HostBitmap bitmap = toHostBitmap(dot, 60, false);
  // Centred in 60 x 48: the image's top left lands at (29, 23).
  EXPECT_EQ(bitmap[29 + 23 * 60], 1);
  EXPECT_EQ(bitmap[30 + 23 * 60], 0);
  EXPECT_EQ(bitmap[30 + 24 * 60], 1);
  int lit = 0;
  for (uint8_t pixel : bitmap) lit += pixel;
  EXPECT_EQ(lit, 2);
}

TEST(ImageInputTest, DitherSpreadsGreyWhereAThresholdCannot) {
  GrayImage grey{84, 48, std::vector<uint8_t>(84 * 48, 140)};
  int thresholded = 0, dithered = 0;
  for (uint8_t pixel : toHostBitmap(grey, 84, false)) thresholded += pixel;
  for (uint8_t pixel : toHostBitmap(grey, 84, true)) dithered += pixel;
  EXPECT_EQ(thresholded, 0);
  EXPECT_NEAR(dithered, 84 * 48 * (255 - 140) / 255, 84 * 48 / 20);
}

}  // namespace
}  // namespace om6211::cli
