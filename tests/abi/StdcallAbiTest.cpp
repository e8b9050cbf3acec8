// The exported entry points called as a 32-bit Windows host calls them: argument blocks pushed
// by hand, garbage in the unused bits of every narrow slot.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "StdcallCaller.h"
#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "support/DriverRig.h"
#include "support/RecordingPauses.h"
#include "support/RecordingPort.h"

namespace om6211::testing {
namespace {

// Every test runs in a process of its own, so the one static driver starts from its load state.
class StdcallAbiTest : public ::testing::Test {
 protected:
  void SetUp() override { exported::usePlatform(Platform{&port, &pauses, &settings, &hostFolder}); }

  const Driver& driver() const { return exported::instance(); }
  std::vector<Frame> frames() const { return decodeFrames(trace); }

  static uint32_t slot(const void* pointer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
  }

  // The configuration call's fourteen slots, with garbage in every slot that is not read and
  // in the high bits of the narrow ones.
  std::vector<uint32_t> configuration(uint32_t backlight, uint32_t contrastOn,
                                      uint32_t contrastValue) const {
    return {slot(portText),
            2,
            1,
            10,
            4,
            60,
            32,
            backlight,
            0xDEADBEEF,
            contrastOn,
            contrastValue,
            0xDEADBEEF,
            0xDEADBEEF,
            0xDEADBEEF};
  }

  static constexpr char portText[] = "278";
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  InMemorySettings settings;
  FixedHostFolder hostFolder;
  std::array<uint8_t, 4032> bitmap{};
};

struct ExportCall {
  const char* name;
  void (*function)();
  std::vector<uint32_t> slots;
  uint32_t bytesRemoved;
};

TEST_F(StdcallAbiTest, EveryExportRemovesExactlyItsArgumentBlock) {
  Om6211DriverInfo info;
  const std::vector<uint32_t> glyphBlock(17, 0x01010100);
  const std::vector<ExportCall> calls = {
      {"DLL_GetInfo", anyFunction(DLL_GetInfo), {slot(&info)}, 4},
      {"LCD_SetIOPropertys", anyFunction(LCD_SetIOPropertys), configuration(1, 1, 128), 56},
      {"LCD_Init", anyFunction(LCD_Init), {}, 0},
      {"LCD_CleanUp", anyFunction(LCD_CleanUp), {}, 0},
      {"LCD_IsReadyToReceive", anyFunction(LCD_IsReadyToReceive), {}, 0},
      {"LCD_SendToController", anyFunction(LCD_SendToController), {0xFFFFFFFF}, 4},
      {"LCD_SendToMemory", anyFunction(LCD_SendToMemory), {0x41}, 4},
      {"LCD_SendToGfxMemory",
       anyFunction(LCD_SendToGfxMemory),
       {slot(bitmap.data()), 0, 0, 83, 47, 1},
       24},
      {"LCD_SetOutputAddress", anyFunction(LCD_SetOutputAddress), {1, 1}, 8},
      {"LCD_SetCGRAMChar", anyFunction(LCD_SetCGRAMChar), glyphBlock, 68},
      {"LCD_GetCGRAMChar", anyFunction(LCD_GetCGRAMChar), {7}, 4},
      {"LCD_Customize", anyFunction(LCD_Customize), {1, 2, 3, 4, 5}, 20},
  };
  for (const ExportCall& call : calls) {
    EXPECT_EQ(callStdcall(call.function, call.slots).bytesRemoved, call.bytesRemoved) << call.name;
  }
  EXPECT_EQ(exported::lastFailure(), "");
}

TEST_F(StdcallAbiTest, DriverInfoIsWrittenThroughTheHiddenResultPointer) {
  Om6211DriverInfo info;
  std::memset(&info, 0xFF, sizeof info);

  const StdcallOutcome outcome = callStdcall(DLL_GetInfo, {slot(&info)});

  EXPECT_EQ(outcome.eax, slot(&info));
  EXPECT_STREQ(info.text, "Nokia 8310   v1.0   (OM6211)");
  for (std::size_t i = std::strlen(info.text); i < sizeof info.text; ++i) {
    ASSERT_EQ(info.text[i], 0) << "offset " << i;
  }
  EXPECT_EQ(std::vector<uint8_t>(info.constants, info.constants + 8),
            (std::vector<uint8_t>{1, 1, 0, 1, 0, 6, 8, 6}));
}

// Each of the fourteen slots reaches its own parameter; narrow ones are read in their low byte
// (the exports test covers the low bits in every build).
TEST_F(StdcallAbiTest, ConfigurationSlotsReachTheirParameters) {
  callStdcall(LCD_SetIOPropertys, configuration(0xABCD0001, 0x12345600, 0x123456FF));
  const DriverSettings& settings = driver().settings();
  EXPECT_EQ(settings.PortBase, 0x278u);
  EXPECT_EQ(settings.AddressDelay, 2);
  EXPECT_EQ(settings.BusDelay, 1);
  EXPECT_EQ(settings.TextColumns, 10);
  EXPECT_EQ(settings.TextRows, 4);
  EXPECT_EQ(settings.GraphicsWidth, 60);
  EXPECT_EQ(settings.GraphicsHeight, 32);
  EXPECT_EQ(settings.BacklightBits, 0xF0u);
  EXPECT_FALSE(settings.ContrastOn);
  EXPECT_EQ(settings.ContrastValue, 0xFF);
}

TEST_F(StdcallAbiTest, GraphicsRectangleIsReadFromTheLow16BitsAndInvertFromTheLowByte) {
  bitmap[5 + 9 * 84] = 1;  // pixel (5, 9): page 1, bit 1
  bitmap[6 + 9 * 84] = 1;  // outside the rectangle's columns

  callStdcall(LCD_SendToGfxMemory,
              {slot(bitmap.data()), 0xFFFF0005, 0xABCD0009, 0x12340005, 0xFFFF0009, 0x12345600});

  const auto& graphics = driver().frameMemory().GraphicsLayer;
  EXPECT_EQ(graphics[FrameMemory::layerIndex(5, 1)], 0x02);
  EXPECT_EQ(graphics[FrameMemory::layerIndex(6, 1)], 0x00);
  ASSERT_FALSE(frames().empty());
  EXPECT_EQ(frames().front(), cmd(0xA6));

  trace.operations.clear();
  callStdcall(LCD_SendToGfxMemory, {slot(bitmap.data()), 5, 9, 5, 9, 0xABCD0001});
  ASSERT_FALSE(frames().empty());
  EXPECT_EQ(frames().front(), cmd(0xA7));
}

TEST_F(StdcallAbiTest, OutputAddressSlotsAreWhole32BitSignedValues) {
  callStdcall(LCD_SetOutputAddress, {3, 2});
  EXPECT_EQ(frames(), (std::vector<Frame>{cmd(0xB2), cmd(0x11), cmd(0x02)}));

  // -1 and 0x00010000 are out of the grid; read as bytes or 16 bits they would not be.
  trace.operations.clear();
  callStdcall(LCD_SetOutputAddress, {0xFFFFFFFF, 0});
  callStdcall(LCD_SetOutputAddress, {0, 0x00010000});
  EXPECT_TRUE(trace.operations.empty());
  EXPECT_EQ(driver().settings().CursorColumn, 3);
  EXPECT_EQ(driver().settings().CursorRow, 2);
}

TEST_F(StdcallAbiTest, GlyphBlockIsPassedByValueOnTheStack) {
  // Byte 0 is the index; column 0 lights rows 0 and 7, column 5 row 3, columns 6 and 7 and
  // the three fill bytes carry garbage that must not be read.
  std::array<uint8_t, 68> block{};
  block[0] = 4;
  block[1 + 0] = 0xFF;
  block[1 + 7] = 0x01;
  block[1 + 5 * 8 + 3] = 0x80;
  std::memset(&block[1 + 6 * 8], 0xFF, 16 + 3);
  std::vector<uint32_t> slots(17);
  std::memcpy(slots.data(), block.data(), block.size());

  EXPECT_EQ(callStdcall(LCD_SetCGRAMChar, slots).bytesRemoved, 68u);

  const auto& glyphs = driver().frameMemory().CustomGlyphs;
  EXPECT_EQ((std::vector<uint8_t>(glyphs.begin() + 4 * 6, glyphs.begin() + 5 * 6)),
            (std::vector<uint8_t>{0x81, 0x00, 0x00, 0x00, 0x00, 0x08}));
}

TEST_F(StdcallAbiTest, ByteResultsComeBackInAl) {
  EXPECT_EQ(callStdcall(LCD_GetCGRAMChar, {0xABCDEF05}).eax & 0xFF, 0x05u);
  EXPECT_EQ(callStdcall(LCD_GetCGRAMChar, {0x123456C8}).eax & 0xFF, 200u);
  EXPECT_EQ(callStdcall(LCD_IsReadyToReceive, {}).eax & 0xFF, 1u);
}

TEST_F(StdcallAbiTest, DoNothingEntryPointsIgnoreTheirSlots) {
  callStdcall(LCD_SendToController, {0xFFFFFFFF});
  callStdcall(LCD_Customize, {0xFFFFFFFF, 0, 0x12345678, 1, 0xFFFFFFFF});
  EXPECT_TRUE(trace.operations.empty());
}

}  // namespace
}  // namespace om6211::testing
