// Through the exported entry points, as the host calls them. Each test runs in a process of
// its own, so each starts from the load state.
#include "driver/Exports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "driver/ExportBinding.h"
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

void configure(const char* port) {
  LCD_SetIOPropertys(port, 0, 0, 14, 6, 84, 48, 0, 0, 0, 0, 0, 0, 0);
}

TEST(Exports, DriverInfoRecordFillsAll264Bytes) {
  Om6211DriverInfo info;
  std::memset(&info, 0xFF, sizeof info);
  EXPECT_EQ(DLL_GetInfo(&info), &info);

  const char expectedText[] = "Nokia 8310   v1.0   (OM6211)";
  ASSERT_EQ(sizeof expectedText - 1, 28u);
  EXPECT_EQ(std::memcmp(info.text, expectedText, 28), 0);
  for (int i = 28; i < 256; ++i) ASSERT_EQ(info.text[i], 0) << i;
  EXPECT_EQ(std::vector<uint8_t>(info.constants, info.constants + 8),
            (std::vector<uint8_t>{1, 1, 0, 1, 0, 6, 8, 6}));
}

TEST(Exports, LoadStateTouchesNothingUntilCalled) {
  const DriverSettings& settings = exported::instance().settings();
  EXPECT_EQ(settings.PortBase, 0x378u);
  EXPECT_TRUE(settings.FirstInitPending);
  // Without a bound port back end nothing can reach an I/O port: the call fails and says so.
  LCD_Init();
  EXPECT_EQ(exported::lastFailure(), "no port back end selected");
}

TEST(Exports, EntryPointsWithoutDisplayWork) {
  ExportRig rig;
  EXPECT_EQ(LCD_IsReadyToReceive(), 1);
  EXPECT_EQ(LCD_GetCGRAMChar(5), 5);
  EXPECT_EQ(LCD_GetCGRAMChar(200), 200);
  EXPECT_EQ(LCD_GetCGRAMChar(0xABCD0107), 0x07) << "only the low byte of the slot";
  LCD_SendToController(0xA5);
  LCD_Customize(1, 2, 3, 4, 5);
  EXPECT_TRUE(rig.trace.operations.empty());
  LCD_Init();
  EXPECT_EQ(LCD_IsReadyToReceive(), 1);
}

TEST(Exports, ConversionFailureIsKeptAndChangesNothing) {
  ExportRig rig;
  configure("3bc");
  rig.trace.operations.clear();
  exported::clearLastFailure();
  configure("37Q");
  EXPECT_EQ(exported::lastFailure(), "'$37Q' is not a valid integer value");
  EXPECT_EQ(exported::instance().settings().PortBase, 0x3BCu);
  EXPECT_TRUE(rig.trace.operations.empty());

  LCD_SetIOPropertys(nullptr, 0, 0, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(exported::instance().settings().TextColumns, 14);
}

TEST(Exports, SlotsAreReadOnlyInTheirLowBits) {
  ExportRig rig;
  LCD_SetIOPropertys("378", 0, 0, 14, 6, 84, 48, /*backlight=*/0x12345600, 0xFFFFFFFF,
                     /*contrastOn=*/0xABCD0001, /*contrastValue=*/0xFFFFFF10, 0xFFFFFFFF,
                     0xFFFFFFFF, 0xFFFFFFFF);
  const DriverSettings& settings = exported::instance().settings();
  EXPECT_EQ(settings.BacklightBits, 0u);
  EXPECT_TRUE(settings.ContrastOn);
  EXPECT_EQ(settings.ContrastValue, 0x10);

  std::vector<uint8_t> bitmap(4032, 0);
  bitmap[5 + 84 * 5] = 1;
  LCD_SendToGfxMemory(bitmap.data(), 0xFFFF0005, 0xFFFF0005, 0x00010005, 0x00020005, 0x12345600);
  EXPECT_EQ(exported::instance().frameMemory().GraphicsLayer[5 * 6], 0x20);
  EXPECT_EQ(decodeFrames(rig.trace)[2], cmd(0xA6)) << "0x12345600 is not inverted";

  LCD_SetOutputAddress(0, 0);
  LCD_SendToMemory(0xFFFFFF41);
  EXPECT_EQ(exported::instance().frameMemory().TextLayer[0], 0x7E);
}

TEST(Exports, GlyphBlockIsPassedByValue) {
  ExportRig rig;
  Om6211GlyphBlock block{};
  block.bytes[0] = 7;
  block.bytes[1] = 1;
  block.bytes[48] = 1;
  LCD_SetCGRAMChar(block);
  const auto& glyphs = exported::instance().frameMemory().CustomGlyphs;
  EXPECT_EQ(glyphs[7 * 6], 0x01);
  EXPECT_EQ(glyphs[7 * 6 + 5], 0x80);
}

TEST(Exports, NoExceptionLeavesAnEntryPointWhenThePortIsGone) {
  ExportRig rig;
  rig.port.failWhen([](uint64_t) { return true; });
  std::vector<uint8_t> bitmap(4032, 1);
  configure("378");
  EXPECT_NE(exported::lastFailure(), "");
  LCD_Init();
  LCD_SetOutputAddress(1, 1);
  LCD_SendToMemory('a');
  LCD_SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, 1);
  LCD_CleanUp();
  EXPECT_TRUE(rig.trace.operations.empty());
  rig.port.stopFailing();
  LCD_SetOutputAddress(1, 1);
  EXPECT_EQ(decodeFrames(rig.trace).size(), 3u) << "the next call works again";
}

}  // namespace
}  // namespace om6211::testing
