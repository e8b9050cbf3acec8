// Arguments and settings no sane host sends, on a driver of its own: each must be refused or
// clamped without touching memory it does not own and without changing what it may not.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/PortText.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/TraceShape.h"
#include "render/GraphicsUpload.h"
#include "support/DriverRig.h"

namespace om6211::reliability {
namespace {

using testing::DriverRig;

DriverSnapshot stateOf(const DriverRig& rig) {
  return DriverSnapshot::of(rig.driver);
}

struct PortTextCase {
  const char* name;
  std::string text;
  bool accepted;
  uint32_t port;
};

TEST(HostileArguments, PortTexts) {
  const std::vector<PortTextCase> cases = {
      {"empty", "", false, 0},
      {"10000 digits", std::string(10000, '3'), false, 0},
      {"10000 leading zeros", std::string(10000, '0') + "378", true, 0x378},
      {"leading zeros beyond 8 digits", "000000000378", true, 0x378},
      {"largest 8 digits", "FFFFFFFF", true, 0xFFFFFFFF},
      {"9 significant digits", "100000000", false, 0},
      {"non-ASCII",
       "3\xC3\xA9"
       "8",
       false, 0},
      {"high byte at the end", "378\xFF", false, 0},
      {"line end", "378\n", false, 0},
      {"sign", "-378", false, 0},
      {"10000 non-ASCII bytes", std::string(10000, '\x80'), false, 0},
  };
  for (const PortTextCase& c : cases) {
    SCOPED_TRACE(c.name);
    DriverRig rig;
    const DriverSnapshot before = stateOf(rig);
    if (!c.accepted) {
      try {
        rig.driver.SetIOPropertys(c.text.c_str(), {});
        ADD_FAILURE() << "accepted";
      } catch (const ConversionError& failure) {
        EXPECT_EQ(failure.what(), "'$" + c.text + "' is not a valid integer value");
      }
      EXPECT_TRUE(sameState(before, stateOf(rig)));
      EXPECT_TRUE(rig.trace.operations.empty());
      EXPECT_TRUE(rig.settings.filesAsked.empty()) << "settings read before the port converted";
      continue;
    }
    rig.driver.SetIOPropertys(c.text.c_str(), {});
    EXPECT_EQ(rig.driver.settings().PortBase, c.port);
    EXPECT_EQ(forbiddenChange(EntryPoint::SetIOPropertys, before, stateOf(rig)), "");
    const TraceShape shape = analyseTrace(rig.trace, rig.driver.settings());
    EXPECT_EQ(shape.problem, "");
    EXPECT_EQ(shape.frames, 2u) << "the contrast pair, on the ports of the new base";
  }
}

TEST(HostileArguments, NullPortTextChangesNothing) {
  DriverRig rig;
  rig.configure(3, 4, true);
  rig.clearTrace();
  const DriverSnapshot before = stateOf(rig);
  try {
    rig.driver.SetIOPropertys(nullptr, {.textColumns = 3});
    ADD_FAILURE() << "accepted";
  } catch (const ConversionError& failure) {
    EXPECT_STREQ(failure.what(), "no port text given (null pointer)");
  }
  EXPECT_TRUE(sameState(before, stateOf(rig)));
  EXPECT_TRUE(rig.trace.operations.empty());
}

TEST(HostileArguments, GeometryExtremesGiveTheMaximum) {
  for (int32_t request : {INT_MIN, INT_MIN + 1, -1, 0, 85, INT_MAX}) {
    SCOPED_TRACE(request);
    DriverRig rig;
    rig.driver.SetIOPropertys("378", {.textColumns = request,
                                      .textRows = request,
                                      .graphicsWidth = request,
                                      .graphicsHeight = request});
    const DriverSettings& s = rig.driver.settings();
    EXPECT_EQ(s.TextColumns, 14);
    EXPECT_EQ(s.TextRows, 6);
    EXPECT_EQ(s.GraphicsWidth, 84);
    EXPECT_EQ(s.GraphicsHeight, 48);
  }
}

TEST(HostileArguments, OutputAddressesOffTheGridSendNothing) {
  const int32_t columns[] = {INT_MIN, -1, 0, 9, 10, 14, INT_MAX};
  const int32_t rows[] = {INT_MIN, -1, 0, 2, 3, 6, INT_MAX};
  for (int32_t column : columns) {
    for (int32_t row : rows) {
      SCOPED_TRACE(std::to_string(column) + ", " + std::to_string(row));
      DriverRig rig;
      rig.driver.SetIOPropertys("378", {.textColumns = 10, .textRows = 3});
      rig.driver.SetOutputAddress(4, 1);
      rig.clearTrace();
      rig.driver.SetOutputAddress(column, row);
      const bool onGrid = column >= 0 && column < 10 && row >= 0 && row < 3;
      EXPECT_EQ(rig.frames().size(), onGrid ? 3u : 0u);
      EXPECT_EQ(rig.driver.settings().CursorColumn, onGrid ? column : 4);
      EXPECT_EQ(rig.driver.settings().CursorRow, onGrid ? row : 1);
    }
  }
}

// A cursor placed on a large grid stays where it was when the grid shrinks. The next
// character falls outside the grid: it is not drawn anywhere, and the refresh it causes brings
// the cursor home, where the characters after it land.
TEST(HostileArguments, CursorLeftOffAShrunkGrid) {
  DriverRig rig;
  rig.configure();
  rig.driver.SetOutputAddress(13, 5);
  rig.driver.SetIOPropertys("378", {.textColumns = 2, .textRows = 1});
  rig.clearTrace();
  DriverSnapshot before = stateOf(rig);
  rig.driver.SendToMemory('A');
  EXPECT_EQ(stateOf(rig).memory.TextLayer, before.memory.TextLayer);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 0);
  EXPECT_EQ(rig.driver.settings().CursorRow, 0);
  for (int code = 0; code < 256; ++code) {
    before = stateOf(rig);
    rig.driver.SendToMemory(static_cast<uint8_t>(code));
    ASSERT_EQ(forbiddenChange(EntryPoint::SendToMemory, before, stateOf(rig)), "") << code;
  }
  EXPECT_EQ(analyseTrace(rig.trace, rig.driver.settings()).problem, "");
}

TEST(HostileArguments, GlyphIndexesAbove30ChangeNothing) {
  CustomGlyphBlock block;
  block.fill(0xFF);
  for (int index = 31; index <= 255; ++index) {
    DriverRig rig;
    const DriverSnapshot before = stateOf(rig);
    block[0] = static_cast<uint8_t>(index);
    rig.driver.SetCGRAMChar(block);
    ASSERT_TRUE(sameState(before, stateOf(rig))) << index;
  }
  DriverRig rig;
  block[0] = 30;
  rig.driver.SetCGRAMChar(block);
  const auto& glyphs = rig.driver.frameMemory().CustomGlyphs;
  EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0xFF), 6) << "the last glyph, and only it";
  EXPECT_EQ(std::count(glyphs.end() - 6, glyphs.end(), 0xFF), 6);
}

TEST(HostileArguments, Code0x1FDrawsABlankCellAndAdvances) {
  DriverRig rig;
  CustomGlyphBlock block;
  block.fill(0xFF);
  block[0] = 30;  // the glyph just below 0x1F, all lit
  rig.driver.SetCGRAMChar(block);
  rig.driver.SendToMemory('#');  // a lit cell to be overwritten
  rig.driver.SetOutputAddress(0, 0);
  const DriverSnapshot before = stateOf(rig);
  rig.driver.SendToMemory(0x1F);
  const DriverSnapshot after = stateOf(rig);
  EXPECT_EQ(forbiddenChange(EntryPoint::SendToMemory, before, after), "");
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(after.memory.TextLayer[FrameMemory::layerIndex(column, 0)], 0) << column;
  }
  EXPECT_EQ(after.settings.CursorColumn, 1);
}

// Every rectangle with 65535 in any of its coordinates, on an all-lit bitmap.
TEST(HostileArguments, RectanglesReaching65535EndNormally) {
  std::vector<uint8_t> bitmap(HostBitmapBytes, 1);  // exactly the host's size
  for (int corners = 0; corners < 16; ++corners) {
    const uint16_t x1 = corners & 1 ? 65535 : 10;
    const uint16_t y1 = corners & 2 ? 65535 : 9;
    const uint16_t x2 = corners & 4 ? 65535 : 20;
    const uint16_t y2 = corners & 8 ? 65535 : 30;
    SCOPED_TRACE(std::to_string(x1) + ", " + std::to_string(y1) + " - " + std::to_string(x2) +
                 ", " + std::to_string(y2));
    DriverRig rig;
    rig.configure();
    rig.clearTrace();
    const DriverSnapshot before = stateOf(rig);
    rig.driver.SendToGfxMemory(bitmap.data(), x1, y1, x2, y2, false);
    const DriverSnapshot after = stateOf(rig);
    EXPECT_EQ(forbiddenChange(EntryPoint::SendToGfxMemory, before, after), "");
    const TraceShape shape = analyseTrace(rig.trace, after.settings);
    EXPECT_EQ(shape.problem, "");
    EXPECT_EQ(shape.frames, 1u + 3u + 6u * (3u + 84u)) << "mode command and one refresh";

    // Columns x1 .. min(x2, 83) of the pages from y1's to min(y2's, 5) are packed; with the
    // whole bitmap lit, every packed byte is 0xFF.
    const int lastColumn = std::min<int>(x2, 83);
    const int lastPage = std::min<int>(y2 / 8, 5);
    for (int x = 0; x < 84; ++x) {
      for (int page = 0; page < 6; ++page) {
        const bool packed = x >= x1 && x <= lastColumn && page >= y1 / 8 && page <= lastPage;
        ASSERT_EQ(after.memory.GraphicsLayer[FrameMemory::layerIndex(x, page)], packed ? 0xFF : 0)
            << x << ", page " << page;
      }
    }
  }
}

TEST(HostileArguments, NullBitmapSendsAndChangesNothing) {
  DriverRig rig;
  rig.configure();
  rig.clearTrace();
  const DriverSnapshot before = stateOf(rig);
  rig.driver.SendToGfxMemory(nullptr, 0, 0, 83, 47, true);
  EXPECT_TRUE(sameState(before, stateOf(rig)));
  EXPECT_TRUE(rig.trace.operations.empty());
}

// A narrow window makes the bitmap stride small, so that rows far below the display still
// index inside the bitmap; packing must stop at the last page all the same.
TEST(HostileArguments, NarrowStrideWithTallRectangleStaysInTheLayer) {
  std::vector<uint8_t> bitmap(HostBitmapBytes, 1);
  DriverRig rig;
  rig.driver.SetIOPropertys("378", {.graphicsWidth = 1});
  const DriverSnapshot before = stateOf(rig);
  rig.driver.SendToGfxMemory(bitmap.data(), 0, 0, 65535, 65535, false);
  EXPECT_EQ(forbiddenChange(EntryPoint::SendToGfxMemory, before, stateOf(rig)), "");
  EXPECT_EQ(analyseTrace(rig.trace, rig.driver.settings()).problem, "");
}

// The settings file, read from disk through the platform's file reader.
class HostileSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("om6211-hostile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_ / "controller" / "OM6211");
    hostFolder_.folder = folder_.string() + "/";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void writeSettings(const std::string& contents) {
    std::ofstream(folder_ / "controller" / "OM6211" / "settings.ini", std::ios::binary) << contents;
  }

  DriverSettings configure() {
    rig_.driver.usePlatform({&rig_.port, &rig_.pauses, &files_, &hostFolder_});
    rig_.driver.SetIOPropertys("378", {});
    return rig_.driver.settings();
  }

  std::filesystem::path folder_;
  DriverRig rig_;
  IniFileLookup files_;
  testing::FixedHostFolder hostFolder_;
};

TEST_F(HostileSettingsFile, Contents) {
  const std::string megabyte(1 << 20, 'm');
  struct Case {
    const char* name;
    std::string contents;
    std::string font;
    std::string mode;
  };
  const std::vector<Case> cases = {
      {"value of 5000 characters", "[init]\nTextFont=" + std::string(5000, 'c') + "\n",
       std::string(1023, 'c'), "XOR"},
      {"megabyte line before the section", megabyte + "\n[init]\nTextFont=Cyrillic\n", "Cyrillic",
       "XOR"},
      {"megabyte value", "[init]\nText+GraphicsDisplayMode=" + megabyte, "Default",
       std::string(1023, 'm')},
      {"megabyte section name never closed", "[" + megabyte + "\nTextFont=x\n", "Default", "XOR"},
      {"NUL bytes", std::string("[init]\nTextFont=Cy\0rillic\n", 26), std::string("Cy\0rillic", 9),
       "XOR"},
      {"CR line ends only, no final line end", "[init]\rText+GraphicsDisplayMode=OR\rTextFont=a",
       "a", "OR"},
      {"quote at one end only", "[init]\nTextFont=\"Cyrillic\nText+GraphicsDisplayMode=OR'\n",
       "\"Cyrillic", "OR'"},
      {"section never closed", "[init\nTextFont=Cyrillic\n", "Cyrillic", "XOR"},
      {"only a line end", "\n", "Default", "XOR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeSettings(c.contents);
    const DriverSettings settings = configure();
    EXPECT_EQ(settings.FontName, c.font);
    EXPECT_EQ(settings.MixMode, c.mode);
  }
}

// A host folder longer than the platform's path limit: the file cannot be opened, so both
// keys take their defaults.
TEST_F(HostileSettingsFile, PathLongerThanThePlatformAllows) {
  writeSettings("[init]\nTextFont=Cyrillic\n");
  hostFolder_.folder = folder_.string() + "/" + std::string(5000, 'p') + "/";
  const DriverSettings settings = configure();
  EXPECT_EQ(settings.FontName, "Default");
  EXPECT_EQ(settings.MixMode, "XOR");
}

}  // namespace
}  // namespace om6211::reliability
