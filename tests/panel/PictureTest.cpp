// Pictures of the glass: the terminal text and the PNG file, read back with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "panel/PngWriter.h"
#include "panel/TerminalPicture.h"

namespace om6211::panel {
namespace {

struct ReadPng {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  std::array<uint8_t, 3> at(int x, int y) const {
    const std::size_t i = static_cast<std::size_t>((y * width + x) * 3);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

ReadPng readPng(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  ReadPng result;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
  image.format = PNG_FORMAT_RGB;
  result.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr)) return result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  return result;
}

Glass sampleGlass() {
  Glass glass;
  glass.darkness = 1.0;
  glass.dark[0] = true;                       // (0, 0)
  glass.dark[1 + 1 * Glass::Width] = true;    // (1, 1)
  glass.dark[83 + 47 * Glass::Width] = true;  // (83, 47)
  return glass;
}

std::string tempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string(name) + std::to_string(::testing::UnitTest::GetInstance()->random_seed())))
      .string();
}

TEST(PictureTest, TerminalPictureUsesHalfBlocksTwoRowsPerLine) {
  const std::string text = terminalPicture(sampleGlass());
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 24u + 2u);
  // Row 0 has (0, 0) on top, row 1 has (1, 1) below: upper half, then lower half.
  EXPECT_EQ(lines[1].substr(0, 3 + 3 + 3), "\u2502\u2580\u2584");
  EXPECT_EQ(lines[24].substr(lines[24].size() - 6), "\u2584\u2502");
}

TEST(PictureTest, PngHasTheSizeOfTheScaleAndShowsDarkPixels) {
  for (int scale : {1, 3, 6}) {
    const std::string path = tempPath("glass");
    ASSERT_FALSE(writePng(sampleGlass(), {.scale = scale}, path));
    const ReadPng png = readPng(path);
    std::filesystem::remove(path);
    ASSERT_EQ(png.width, 84 * scale);
    ASSERT_EQ(png.height, 48 * scale);
    const auto dark = png.at(0, 0);
    const auto clear = png.at(2 * scale, 0);
    EXPECT_LT(dark[1] + 60, clear[1]) << "scale " << scale;
    EXPECT_EQ(png.at(83 * scale, 47 * scale), dark);
  }
}

TEST(PictureTest, BacklightTintsTheBackgroundAndContrastShadesPixels) {
  const std::string path = tempPath("tint");
  Glass glass = sampleGlass();
  ASSERT_FALSE(writePng(glass, {.scale = 1}, path));
  const ReadPng off = readPng(path);
  glass.backlight = true;
  ASSERT_FALSE(writePng(glass, {.scale = 1}, path));
  const ReadPng on = readPng(path);
  glass.darkness = 0.4;
  ASSERT_FALSE(writePng(glass, {.scale = 1}, path));
  const ReadPng faint = readPng(path);
  std::filesystem::remove(path);
  EXPECT_NE(off.at(5, 5), on.at(5, 5));
  EXPECT_GT(on.at(5, 5)[1], off.at(5, 5)[1]) << "the backlight brightens the glass";
  EXPECT_GT(faint.at(0, 0)[1], on.at(0, 0)[1]) << "low contrast gives lighter pixels";
}

TEST(PictureTest, GridSeparatesPixelsFromScaleThree) {
  const std::string path = tempPath("grid");
  Glass glass;
  glass.dark.fill(true);
  glass.darkness = 1.0;
  ASSERT_FALSE(writePng(glass, {.scale = 4, .grid = true}, path));
  const ReadPng grid = readPng(path);
  ASSERT_FALSE(writePng(glass, {.scale = 4, .grid = false}, path));
  const ReadPng plain = readPng(path);
  std::filesystem::remove(path);
  EXPECT_NE(grid.at(3, 1), grid.at(1, 1));
  EXPECT_EQ(plain.at(3, 1), plain.at(1, 1));
}

TEST(PictureTest, UnwritablePathIsReportedNotCrashed) {
  const auto problem = writePng(sampleGlass(), {}, "/nonexistent-folder/glass.png");
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("/nonexistent-folder/glass.png"), std::string::npos);
}

}  // namespace
}  // namespace om6211::panel
