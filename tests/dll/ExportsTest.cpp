// Through the exported entry points, as the host calls them. Each test runs in a process of
// its own, so each starts from the load state.
#include "dll/Exports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dll/ExportBinding.h"
#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

struct ExportRig {
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  InMemorySettings settings;
  FixedHostFolder hostFolder;

  ExportRig() { exported::usePlatform({&port, &pauses, &settings, &hostFolder}); }
};

const DriverSettings& settings() {
  return exported::instance().settings();
}
const FrameMemory& memory() {
  return exported::instance().frameMemory();
}

TEST(Exports, LoadStateTouchesNothingUntilCalled) {
  EXPECT_EQ(settings().PortBase, 0x378u);
  EXPECT_TRUE(settings().FirstInitPending);
  // Without a bound port back end nothing can reach an I/O port: the call fails and says so.
  LCD_Init();
  EXPECT_EQ(exported::lastFailure(), "no port back end selected");
}

TEST(Exports, EntryPointsWithoutDisplay) {
  ExportRig rig;
  Om6211DriverInfo info;
  std::memset(&info, 0xFF, sizeof info);
  EXPECT_EQ(DLL_GetInfo(&info), &info);
  const std::string text = "Nokia 8310   v1.0   (OM6211)";
  EXPECT_EQ(std::string(info.text, sizeof info.text), text + std::string(256 - text.size(), '\0'));
  EXPECT_EQ(std::vector<uint8_t>(info.constants, info.constants + 8),
            (std::vector<uint8_t>{1, 1, 0, 1, 0, 6, 8, 6}));
  EXPECT_EQ(LCD_IsReadyToReceive(), 1);
  EXPECT_EQ(LCD_GetCGRAMChar(200), 200);
  LCD_SendToController(0xA5);
  LCD_Customize(1, 2, 3, 4, 5);
  EXPECT_TRUE(rig.trace.operations.empty());
}

// Narrow arguments travel in whole 32-bit slots; whatever the caller leaves above the low 8 or
// 16 bits must not count.
TEST(Exports, SlotsAreReadOnlyInTheirLowBits) {
  ExportRig rig;
  struct Configuration {
    uint32_t backlight, contrastOn, contrastValue;
    uint32_t backlightBits;
    bool contrastOnRead;
    uint8_t contrastValueRead;
  };
  for (const Configuration c :
       {Configuration{0x12345600, 0xABCD0001, 0xFFFFFF10, 0x00, true, 0x10},
        Configuration{0xABCD0001, 0x12345600, 0x123456FF, 0xF0, false, 0xFF}}) {
    LCD_SetIOPropertys("378", 0, 0, 14, 6, 84, 48, c.backlight, 0xFFFFFFFF, c.contrastOn,
                       c.contrastValue, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    EXPECT_EQ(settings().BacklightBits, c.backlightBits);
    EXPECT_EQ(settings().ContrastOn, c.contrastOnRead);
    EXPECT_EQ(settings().ContrastValue, c.contrastValueRead);
  }
  EXPECT_EQ(LCD_GetCGRAMChar(0xABCD0107), 0x07);

  // Column 5, row 9 of an all-lit bitmap: one page byte packed, the mode from the low byte.
  std::vector<uint8_t> bitmap(4032, 1);
  for (const auto& [invertedSlot, mode] :
       {std::pair{0x12345600u, 0xA6}, std::pair{0xABCD0001u, 0xA7}}) {
    rig.trace.operations.clear();
    LCD_SendToGfxMemory(bitmap.data(), 0xFFFF0005, 0xABCD0009, 0x12340005, 0xFFFF0009,
                        invertedSlot);
    EXPECT_EQ(decodeFrames(rig.trace).front(), cmd(uint8_t(mode)));
  }
  for (int x = 0; x < 84; ++x) {
    for (int page = 0; page < 6; ++page) {
      const uint8_t expected = x == 5 && page == 1 ? 0xFF : 0x00;
      ASSERT_EQ(memory().GraphicsLayer[FrameMemory::layerIndex(x, page)], expected)
          << x << "," << page;
    }
  }

  LCD_SetOutputAddress(0, 0);
  LCD_SendToMemory(0xFFFFFF41);  // 'A'
  EXPECT_EQ(memory().TextLayer[FrameMemory::layerIndex(0, 0)], 0x7E);
  EXPECT_EQ(exported::lastFailure(), "");
}

// With the port gone, every call that reaches it fails: the failure is kept for diagnostics,
// the text and graphics calls' too, and none leaves the entry point. The next call works again.
TEST(Exports, PortFailuresOfEveryCallAreKeptNotRaised) {
  ExportRig rig;
  rig.port.failWhen([](uint64_t) { return true; });
  const std::vector<uint8_t> bitmap(4032, 1);
  const std::pair<const char*, std::function<void()>> calls[] = {
      // The configuration fails at its contrast pair, after taking the one-cell grid.
      {"LCD_SetIOPropertys",
       [] { LCD_SetIOPropertys("378", 0, 0, 1, 1, 84, 48, 0, 0, 0, 0, 0, 0, 0); }},
      {"LCD_Init", [] { LCD_Init(); }},
      {"LCD_SetOutputAddress", [] { LCD_SetOutputAddress(0, 0); }},
      {"LCD_SendToMemory", [] { LCD_SendToMemory('a'); }},  // the last cell: refreshes
      {"LCD_SendToGfxMemory", [&] { LCD_SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, 1); }},
      {"LCD_CleanUp", [] { LCD_CleanUp(); }},
  };
  for (const auto& [name, call] : calls) {
    exported::clearLastFailure();
    call();
    EXPECT_EQ(exported::lastFailure().rfind("injected port failure", 0), 0u) << name;
  }
  EXPECT_TRUE(rig.trace.operations.empty());

  rig.port.stopFailing();
  exported::clearLastFailure();
  LCD_Init();
  EXPECT_EQ(exported::lastFailure(), "");
  EXPECT_FALSE(settings().FirstInitPending) << "the start-up picture was shown at last";
}

}  // namespace
}  // namespace om6211::testing
