#include <gtest/gtest.h>

#include <algorithm>

#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

TEST(DriverState, LoadValues) {
  // constinit: the load values need no code to run, so loading the library runs none.
  static constinit DriverSettings settings;
  EXPECT_EQ(settings.PortBase, 0x378u);
  EXPECT_EQ(settings.AddressDelay, 0);
  EXPECT_EQ(settings.BusDelay, 0);
  EXPECT_EQ(settings.BacklightBits, 0u);
  EXPECT_EQ(settings.GraphicsWidth, 84);
  EXPECT_EQ(settings.GraphicsHeight, 48);
  EXPECT_EQ(settings.TextColumns, 14);
  EXPECT_EQ(settings.TextRows, 6);
  EXPECT_EQ(settings.CursorColumn, 0);
  EXPECT_EQ(settings.CursorRow, 0);
  EXPECT_EQ(DriverSettings::PageHeight * DriverSettings::PageCount, 48);
  EXPECT_EQ(settings.PageHeight, 8);
  EXPECT_FALSE(settings.ContrastOn);
  EXPECT_EQ(settings.ContrastValue, 0);
  EXPECT_EQ(settings.FontName, "");
  EXPECT_EQ(settings.MixMode, "");
  EXPECT_TRUE(settings.FirstInitPending);
}

TEST(DriverState, ConstructionTouchesNothingAndMemoryIsZero) {
  DriverRig rig;
  EXPECT_TRUE(rig.trace.operations.empty());
  EXPECT_TRUE(rig.settings.filesAsked.empty());
  const FrameMemory& memory = rig.driver.frameMemory();
  auto zero = [](const auto& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
  };
  EXPECT_TRUE(zero(memory.GraphicsLayer));
  EXPECT_TRUE(zero(memory.TextLayer));
  EXPECT_TRUE(zero(memory.CustomGlyphs));
}

}  // namespace
}  // namespace om6211::testing
