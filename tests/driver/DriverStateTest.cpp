#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

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

// Bringing the controller back runs inside the next call that sends, and its refresh ends at
// the first cell; the call keeps the text cursor it had, or has just placed, all the same, also
// when the port fails anywhere inside that recovery.
TEST(DriverState, BringingTheControllerBackKeepsTheCursor) {
  struct FailingWrite final : PortIo {
    void write(uint32_t, uint8_t) override {
      if (failAt > 0 && --failAt == 0) throw PortFailure("injected");
    }
    uint8_t read(uint32_t) override { return 0xFF; }
    int failAt = 0;  // counts down the writes; the one reaching 0 fails
  } port;
  DriverRig rig;
  rig.driver.usePlatform({&port, &rig.pauses, &rig.settings, &rig.hostFolder});
  rig.configure();
  rig.driver.Init();
  port.failAt = 1;
  EXPECT_THROW(rig.driver.SetOutputAddress(3, 2), PortFailure);
  rig.driver.SetOutputAddress(5, 4);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 5);
  EXPECT_EQ(rig.driver.settings().CursorRow, 4);
  // A recovery with its full refresh is about 10,000 writes; every 97th fails in turn.
  for (int failing = 1; failing < 12000; failing += 97) {
    port.failAt = 1;
    EXPECT_THROW(rig.driver.setContrast(0x90), PortFailure);
    port.failAt = failing;
    try {
      rig.driver.setContrast(0x91);
    } catch (const PortFailure&) {
    }
    EXPECT_EQ(rig.driver.settings().CursorColumn, 5) << "write " << failing;
    EXPECT_EQ(rig.driver.settings().CursorRow, 4) << "write " << failing;
  }
  port.failAt = 0;
  rig.driver.setContrast(0x91);
  EXPECT_FALSE(rig.driver.resyncDue());
}

}  // namespace
}  // namespace om6211::testing
