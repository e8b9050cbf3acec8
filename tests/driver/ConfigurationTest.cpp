#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

IoProperties someProperties() {
  return {.addressDelay = 2,
          .busDelay = 1,
          .textColumns = 10,
          .textRows = 4,
          .graphicsWidth = 60,
          .graphicsHeight = 32,
          .backlight = true,
          .contrastOn = true,
          .contrastValue = 0x40};
}

TEST(Configuration, StoresPortDelaysBacklightGeometryAndContrast) {
  DriverRig rig;
  rig.driver.SetIOPropertys("3bc", someProperties());
  const DriverSettings& s = rig.driver.settings();
  EXPECT_EQ(s.PortBase, 0x3BCu);
  EXPECT_EQ(s.AddressDelay, 2);
  EXPECT_EQ(s.BusDelay, 1);
  EXPECT_EQ(s.BacklightBits, 0xF0u);
  EXPECT_EQ(s.TextColumns, 10);
  EXPECT_EQ(s.TextRows, 4);
  EXPECT_EQ(s.GraphicsWidth, 60);
  EXPECT_EQ(s.GraphicsHeight, 32);
  EXPECT_TRUE(s.ContrastOn);
  EXPECT_EQ(s.ContrastValue, 0x40);
  // The contrast went out at once, on the new port, with the backlight and the bus delay.
  EXPECT_EQ(rig.trace.operations.front(), (PortOperation{PortOperation::Kind::Out, 0x3BC, 0xFE}));
  EXPECT_EQ(decodeFrames(rig.trace, 0x3BC), (std::vector<Frame>{cmd(0x22), cmd(0x88)}));
  EXPECT_EQ(rig.trace.operations.size(), 2u * (19 + 18 * 1));
}

TEST(Configuration, GeometryIsClampedToTheMaximum) {
  struct Case {
    int32_t columns, rows, width, height;
    int32_t expectedColumns, expectedRows, expectedWidth, expectedHeight;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 14, 6, 84, 48},
      {99, 99, 999, 999, 14, 6, 84, 48},
      {10, 4, 60, 32, 10, 4, 60, 32},
      {-3, -1, -84, -48, 14, 6, 84, 48},
      {INT_MIN, INT_MIN, INT_MIN, INT_MIN, 14, 6, 84, 48},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 14, 6, 84, 48},
      {1, 1, 1, 1, 1, 1, 1, 1},
      {14, 6, 84, 48, 14, 6, 84, 48},
      {15, 7, 85, 49, 14, 6, 84, 48},
  };
  for (const Case& c : cases) {
    DriverRig rig;
    rig.driver.SetIOPropertys("378", {.textColumns = c.columns,
                                      .textRows = c.rows,
                                      .graphicsWidth = c.width,
                                      .graphicsHeight = c.height});
    const DriverSettings& s = rig.driver.settings();
    EXPECT_EQ(s.TextColumns, c.expectedColumns) << c.columns;
    EXPECT_EQ(s.TextRows, c.expectedRows) << c.rows;
    EXPECT_EQ(s.GraphicsWidth, c.expectedWidth) << c.width;
    EXPECT_EQ(s.GraphicsHeight, c.expectedHeight) << c.height;
  }
}

TEST(Configuration, ContrastCommands) {
  struct Case {
    bool on;
    uint8_t level;
    uint8_t first, second;
  };
  const Case cases[] = {{true, 255, 0x22, 0x9F}, {true, 7, 0x22, 0x80},    {true, 8, 0x22, 0x81},
                        {true, 0, 0x22, 0x80},   {false, 200, 0x20, 0x80}, {false, 0, 0x20, 0x80}};
  for (const Case& c : cases) {
    DriverRig rig;
    rig.driver.SetIOPropertys("378", {.contrastOn = c.on, .contrastValue = c.level});
    EXPECT_EQ(rig.frames(), (std::vector<Frame>{cmd(c.first), cmd(c.second)}))
        << c.on << " " << int(c.level);
    EXPECT_EQ(rig.driver.settings().ContrastValue, c.level);
  }
}

// Without the host's folder there is no settings file (the empty name), rather than a file at
// the root of the drive.
TEST(Configuration, SettingsFileIsBelowTheHostFolder) {
  for (const auto& [folder, file] :
       {std::pair{"/opt/host/", "/opt/host//controller/OM6211/settings.ini"}, std::pair{"", ""}}) {
    DriverRig rig;
    rig.hostFolder.folder = folder;
    rig.configure();
    EXPECT_EQ(rig.settings.filesAsked, (std::vector<std::string>{file, file, file, file}))
        << folder;
  }
}

TEST(Configuration, FontAndMixModeComeFromTheSettingsFile) {
  struct Case {
    bool present;
    const char* contents;
    const char* font;
    const char* mix;
  };
  const Case cases[] = {
      {false, "", "Default", "XOR"},
      {true, "", "Default", "XOR"},
      {true, "[other]\nTextFont=Cyrillic\n", "Default", "XOR"},
      {true, "[init]\nTextFont=Cyrillic\nText+GraphicsDisplayMode=OR\n", "Cyrillic", "OR"},
      {true, "[INIT]\ntextfont = cyrillic \nTEXT+GRAPHICSDISPLAYMODE=Or\n", "cyrillic", "Or"},
      {true, "[init]\nTextFont=\"Cyrillic\"\nText+GraphicsDisplayMode='and'\n", "Cyrillic", "and"},
      {true, "[init]\nTextFont=\nText+GraphicsDisplayMode=\n", "", ""},
  };
  for (const Case& c : cases) {
    DriverRig rig;
    rig.settings.present = c.present;
    rig.settings.contents = c.contents;
    rig.configure();
    EXPECT_EQ(rig.driver.settings().FontName, c.font) << c.contents;
    EXPECT_EQ(rig.driver.settings().MixMode, c.mix) << c.contents;
  }
}

// FullRefreshEvery takes a 32-bit count; anything else, too many digits included, means 32.
TEST(Configuration, FullRefreshIntervalComesFromTheSettingsFile) {
  const std::pair<const char*, uint32_t> cases[] = {{"0", 0},
                                                    {"7", 7},
                                                    {"9", 9},
                                                    {"19", 19},
                                                    {"1x", 32},
                                                    {"4294967295", 4294967295u},
                                                    {"4294967296", 32},
                                                    {"99999999999999999999", 32},
                                                    {"-1", 32},
                                                    {"+5", 32},
                                                    {"5x", 32},
                                                    {"", 32}};
  for (const auto& [every, expected] : cases) {
    DriverRig rig;
    rig.settings.present = true;
    rig.settings.contents = std::string("[init]\nRefreshMode=Changed\nFullRefreshEvery=") + every;
    rig.configure();
    EXPECT_EQ(rig.driver.refreshPolicy().mode, RefreshMode::Changed) << every;
    EXPECT_EQ(rig.driver.refreshPolicy().fullRefreshEvery, expected) << every;
  }
}

TEST(Configuration, EachCallRereadsTheSettingsFile) {
  DriverRig rig;
  rig.settings.present = true;
  rig.settings.contents = "[init]\nText+GraphicsDisplayMode=AND\n";
  rig.configure();
  rig.settings.contents = "[init]\n";
  rig.configure();
  EXPECT_EQ(rig.driver.settings().MixMode, "XOR");
}

TEST(Configuration, LeavesCursorFrameMemoryAndFirstInitAlone) {
  DriverRig rig;
  rig.driver.SetOutputAddress(5, 5);
  rig.driver.SendToMemory('x');
  const FrameMemory before = rig.driver.frameMemory();
  rig.driver.SetIOPropertys("378", {.textColumns = 3, .textRows = 2});
  EXPECT_EQ(rig.driver.settings().CursorColumn, 6);
  EXPECT_EQ(rig.driver.settings().CursorRow, 5);
  EXPECT_TRUE(rig.driver.settings().FirstInitPending);
  EXPECT_EQ(rig.driver.frameMemory().TextLayer, before.TextLayer);
}

}  // namespace
}  // namespace om6211::testing
