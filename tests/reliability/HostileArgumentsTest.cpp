// Arguments and settings no sane host sends, on a driver of its own: each must be refused or
// clamped without touching memory it does not own and without changing what it may not.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "reliability/EntryPointEffects.h"
#include "reliability/TraceShape.h"
#include "support/DriverRig.h"

namespace om6211::reliability {
namespace {

using testing::DriverRig;

DriverSnapshot stateOf(const DriverRig& rig) {
  return DriverSnapshot::of(rig.driver);
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

TEST(HostileArguments, NullBitmapSendsAndChangesNothing) {
  DriverRig rig;
  rig.configure();
  rig.clearTrace();
  const DriverSnapshot before = stateOf(rig);
  rig.driver.SendToGfxMemory(nullptr, 0, 0, 83, 47, true);
  EXPECT_TRUE(sameState(before, stateOf(rig)));
  EXPECT_TRUE(rig.trace.operations.empty());
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
