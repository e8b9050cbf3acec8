// A fixed host session through the exported entry points, whose port trace must match the
// committed golden trace byte for byte. The 64-bit and the 32-bit builds both run it, so the
// two builds drive the port identically.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "support/DriverRig.h"
#include "support/RecordingPauses.h"
#include "support/RecordingPort.h"

namespace om6211::testing {
namespace {

// Configuration with the backlight and contrast on, a settings file selecting the Cyrillic
// glyphs and OR mixing, the first start-up, a custom glyph, a whole screen of text (custom,
// ASCII and upper-half codes), an inverted graphics rectangle and the shut-down.
std::string runScenario() {
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  InMemorySettings settings;
  settings.present = true;
  settings.contents = "[init]\nTextFont=Cyrillic\nText+GraphicsDisplayMode=OR\n";
  FixedHostFolder hostFolder;
  exported::usePlatform(Platform{&port, &pauses, &settings, &hostFolder});

  Om6211DriverInfo info;
  DLL_GetInfo(&info);
  LCD_SetIOPropertys("378", 1, 0, 10, 5, 60, 40, 1, 0, 1, 200, 0, 0, 0);
  LCD_Init();

  Om6211GlyphBlock glyph{};
  glyph.bytes[0] = 3;
  for (int column = 0; column < 6; ++column) glyph.bytes[1 + column * 8 + column] = 1;
  LCD_SetCGRAMChar(glyph);

  const char* rows[] = {"\x03OM6211 \x03", "0123456789", "abcdefghij", "\xC9\xE9\xDF\xFC ~{}|",
                        "END."};
  for (int row = 0; row < 5; ++row) {
    LCD_SetOutputAddress(0, row);
    for (std::size_t i = 0; i < std::strlen(rows[row]); ++i) {
      LCD_SendToMemory(static_cast<uint8_t>(rows[row][i]));
    }
    for (std::size_t i = std::strlen(rows[row]); i < 10; ++i) LCD_SendToMemory(' ');
  }

  std::array<uint8_t, 4032> bitmap{};
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) bitmap[x + y * 60] = (x + y) % 5 == 0 ? 1 : 0;
  }
  LCD_SendToGfxMemory(bitmap.data(), 4, 3, 50, 30, 1);
  LCD_CleanUp();

  EXPECT_EQ(exported::lastFailure(), "");
  return trace.text();
}

std::string fileText(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The 1-based number of the first line where the texts differ.
std::size_t firstDifferingLine(const std::string& a, const std::string& b) {
  const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(std::count(a.begin(), mismatch.first, '\n')) + 1;
}

TEST(ScenarioTraceTest, PortTraceMatchesTheGoldenTrace) {
  const std::string actual = runScenario();
  const std::string golden = fileText(OM6211_SCENARIO_GOLDEN_TRACE);

  if (actual != golden) {
    std::ofstream("scenario.actual.trace", std::ios::binary) << actual;
    FAIL() << "the trace differs from " << OM6211_SCENARIO_GOLDEN_TRACE << " from line "
           << firstDifferingLine(actual, golden)
           << " on; the whole trace is in scenario.actual.trace in the test's working folder";
  }
}

}  // namespace
}  // namespace om6211::testing
