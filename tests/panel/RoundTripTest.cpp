// Driver -> port -> virtual panel: the glass must show the picture worked out here from the
// inputs alone - glyph bytes copied from the glyph table's published values, the bitmap itself,
// and the combining rule - never from the driver's own memory.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "panel/TerminalPicture.h"
#include "panel/VirtualPanel.h"
#include "support/DriverRig.h"
#include "support/QuietPlatform.h"

namespace om6211::panel {
namespace {

using Picture = std::array<bool, Glass::Width * Glass::Height>;

// Glyph columns as the glyph table publishes them (bit 0 at the top).
const std::map<char, std::array<uint8_t, 5>> KnownGlyphs = {
    {'A', {0x7E, 0x11, 0x11, 0x11, 0x7E}},    {'H', {0x7F, 0x08, 0x08, 0x08, 0x7F}},
    {'i', {0x00, 0x44, 0x7D, 0x40, 0x00}},    {' ', {0x00, 0x00, 0x00, 0x00, 0x00}},
    {'\xC9', {0xF8, 0xA8, 0xAA, 0xA9, 0x88}},  // É
    {'\xFC', {0x78, 0x82, 0x80, 0x42, 0xF8}},  // ü
};

// Custom glyph 3 of the tests: a 6 x 8 checkerboard.
bool customPixel(int column, int row) {
  return (column + row) % 2 == 0;
}

std::string screenText() {
  // 6 rows of 14 cells; code 3 is the custom glyph.
  return std::string("HAi \xC9\xFC") + "\x03" + "AHHA iA" +  //
         std::string(14, ' ') + "A\xC9\x03 H\xFC" + std::string(8, 'i') + std::string(14, 'A') +
         "\x03\x03\x03" + std::string(11, ' ') + std::string(13, 'H') + "\xFC";
}

Picture textPicture(const std::string& text) {
  Picture picture{};
  for (int cell = 0; cell < 14 * 6; ++cell) {
    const int column = cell % 14, row = cell / 14;
    const char code = text[static_cast<std::size_t>(cell)];
    for (int i = 0; i < 6; ++i) {
      for (int bit = 0; bit < 8; ++bit) {
        bool lit = false;
        if (code == '\x03') {
          lit = customPixel(i, bit);
        } else if (i < 5) {
          lit = (KnownGlyphs.at(code)[static_cast<std::size_t>(i)] >> bit) & 1;
        }
        picture[static_cast<std::size_t>(column * 6 + i + (row * 8 + bit) * Glass::Width)] = lit;
      }
    }
  }
  return picture;
}

std::array<uint8_t, 84 * 48> testBitmap() {
  std::array<uint8_t, 84 * 48> bitmap{};
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 84; ++x) {
      const bool lit = (x * 7 + y * 3) % 5 < 2 || (x > 40 && y > 20);
      bitmap[static_cast<std::size_t>(x + y * 84)] = lit ? static_cast<uint8_t>(1 + x % 200) : 0;
    }
  }
  return bitmap;
}

Picture bitmapPicture(const std::array<uint8_t, 84 * 48>& bitmap) {
  Picture picture{};
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = bitmap[i] != 0;
  return picture;
}

std::string drawn(const Picture& picture) {
  Glass glass;
  glass.dark = picture;
  return terminalPicture(glass);
}

struct RoundTrip {
  explicit RoundTrip(const std::string& mixMode) {
    if (!mixMode.empty()) {
      settings.present = true;
      settings.contents = "[init]\nText+GraphicsDisplayMode=" + mixMode + "\n";
    }
    driver.SetIOPropertys("378", {.contrastOn = true, .contrastValue = 200});
    driver.Init();
  }

  void writeText(const std::string& text) {
    CustomGlyphBlock block{};
    block[0] = 3;
    for (int c = 0; c < 8; ++c) {
      for (int k = 0; k < 8; ++k)
        block[static_cast<std::size_t>(1 + c * 8 + k)] = customPixel(c, k);
    }
    driver.SetCGRAMChar(block);
    for (int row = 0; row < 6; ++row) {
      driver.SetOutputAddress(0, row);
      for (int column = 0; column < 14; ++column) {
        driver.SendToMemory(
            static_cast<uint8_t>(text[static_cast<std::size_t>(row * 14 + column)]));
      }
    }
  }

  Picture glass() const { return panel.glass().dark; }

  VirtualPanel panel;
  SilentPauses pauses;
  testing::InMemorySettings settings;
  testing::FixedHostFolder folder;
  Driver driver{Platform{&panel, &pauses, &settings, &folder}};
};

TEST(RoundTripTest, TextScreenWithUpperHalfAndCustomGlyphAppearsOnTheGlass) {
  RoundTrip trip("");
  trip.writeText(screenText());
  EXPECT_EQ(drawn(trip.glass()), drawn(textPicture(screenText())));
  EXPECT_EQ(trip.panel.controller().unknownCommandCount(), 0u);
}

TEST(RoundTripTest, GraphicAppearsOnTheGlassPixelForPixel) {
  RoundTrip trip("");
  const auto bitmap = testBitmap();
  trip.driver.SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, false);
  EXPECT_EQ(drawn(trip.glass()), drawn(bitmapPicture(bitmap)));
}

TEST(RoundTripTest, TextAndGraphicCombineUnderTheConfiguredOperator) {
  struct Case {
    std::string mixMode;
    std::function<bool(bool, bool)> combine;
  };
  const std::vector<Case> cases = {
      {"", [](bool g, bool t) { return g != t; }},
      {"XOR", [](bool g, bool t) { return g != t; }},
      {"OR", [](bool g, bool t) { return g || t; }},
      {"and", [](bool g, bool t) { return g && t; }},
      {"And", [](bool g, bool t) { return g != t; }},  // only OR/or and AND/and are recognised
  };
  const auto bitmap = testBitmap();
  const Picture text = textPicture(screenText());
  const Picture graphic = bitmapPicture(bitmap);
  for (const Case& c : cases) {
    RoundTrip trip(c.mixMode);
    trip.writeText(screenText());
    trip.driver.SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, false);
    Picture expected{};
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = c.combine(graphic[i], text[i]);
    EXPECT_EQ(drawn(trip.glass()), drawn(expected)) << "mode '" << c.mixMode << "'";
  }
}

TEST(RoundTripTest, InvertedModeInvertsBothPlanesOnTheGlass) {
  RoundTrip trip("");
  trip.writeText(screenText());
  const auto bitmap = testBitmap();
  trip.driver.SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, true);
  const Picture text = textPicture(screenText());
  const Picture graphic = bitmapPicture(bitmap);
  Picture expected{};
  for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = !(graphic[i] != text[i]);
  EXPECT_EQ(drawn(trip.glass()), drawn(expected));
  EXPECT_TRUE(trip.panel.controller().inverted());
}

TEST(RoundTripTest, BacklightAndContrastReachTheGlass) {
  RoundTrip trip("");
  EXPECT_FALSE(trip.panel.glass().backlight);
  const double darkness = trip.panel.glass().darkness;
  trip.driver.SetIOPropertys("378", {.backlight = true, .contrastOn = true, .contrastValue = 255});
  EXPECT_TRUE(trip.panel.glass().backlight);
  EXPECT_GT(trip.panel.glass().darkness, darkness);
}

// Pauses that take no time, noting what the glass shows when the first initialisation holds
// its picture for a second.
class GlassAtTheLongPause final : public Pauses {
 public:
  explicit GlassAtTheLongPause(const VirtualPanel& panel) : panel_(panel) {}
  void sleep(uint32_t milliseconds) override {
    if (milliseconds == 1000) shown = panel_.glass().dark;
  }
  Picture shown{};

 private:
  const VirtualPanel& panel_;
};

// The glass as text, one line per pixel row: '#' dark, '.' clear.
std::string pictureText(const Picture& picture) {
  std::string text;
  for (int y = 0; y < Glass::Height; ++y) {
    for (int x = 0; x < Glass::Width; ++x) {
      text += picture[static_cast<std::size_t>(x + y * Glass::Width)] ? '#' : '.';
    }
    text += '\n';
  }
  return text;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The start-up picture on the full display is the committed picture file; a smaller window
// gets all pixels on instead.
TEST(RoundTripTest, FirstInitHoldsTheStartUpPictureForASecond) {
  Picture allOn;
  allOn.fill(true);
  const std::pair<IoProperties, std::string> cases[] = {
      {{}, fileText(OM6211_PANEL_TEST_DATA "/startup-picture.txt")},
      {{.graphicsWidth = 60, .graphicsHeight = 40}, pictureText(allOn)},
  };
  for (const auto& [geometry, expected] : cases) {
    VirtualPanel panel;
    GlassAtTheLongPause pauses(panel);
    testing::InMemorySettings settings;
    testing::FixedHostFolder folder;
    Driver driver{Platform{&panel, &pauses, &settings, &folder}};
    driver.SetIOPropertys("378", geometry);
    driver.Init();
    EXPECT_EQ(pictureText(pauses.shown), expected) << geometry.graphicsWidth;
  }
}

TEST(RoundTripTest, CleanUpLeavesABlankGlass) {
  RoundTrip trip("");
  const auto bitmap = testBitmap();
  trip.driver.SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, false);
  trip.driver.CleanUp();
  EXPECT_EQ(drawn(trip.glass()), drawn(Picture{}));
}

}  // namespace
}  // namespace om6211::panel
