#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/SplashImage.h"
#include "support/DriverRig.h"

namespace om6211::testing {
namespace {

using Kind = PortOperation::Kind;

std::vector<uint32_t> sleepsOf(const PortTrace& trace) {
  std::vector<uint32_t> sleeps;
  for (const auto& op : trace.operations) {
    if (op.kind == Kind::Sleep) sleeps.push_back(op.number);
  }
  return sleeps;
}

void append(std::vector<Frame>& frames, std::initializer_list<uint8_t> commands) {
  for (uint8_t c : commands) frames.push_back(cmd(c));
}
void appendZeros(std::vector<Frame>& frames) {
  frames.insert(frames.end(), 504, data(0));
}

// Everything every initialisation sends, with the contrast pair it is given.
std::vector<Frame> powerUpFrames(uint8_t contrastCommand, uint8_t contrastLevel) {
  std::vector<Frame> frames;
  append(frames, {0xE2, 0x28, 0xAE, 0xA5, contrastCommand, contrastLevel, 0x38, 0x34, 0x3E, 0xA4,
                  0xB0, 0x10, 0x00, 0x40, 0x2F});
  appendZeros(frames);
  append(frames, {0xAF});
  return frames;
}

TEST(Controller, FirstInitShowsTheStartupPictureForASecond) {
  DriverRig rig;
  rig.driver.Init();

  std::vector<Frame> expected = powerUpFrames(0x20, 0x80);
  append(expected, {0xB0, 0x10, 0x00});
  for (uint8_t b : SplashImage) expected.push_back(data(b));
  append(expected, {0xA4, 0xB0, 0x10, 0x00});
  appendZeros(expected);
  EXPECT_EQ(rig.frames(), expected);
  EXPECT_EQ(sleepsOf(rig.trace), (std::vector<uint32_t>{1, 1, 2, 1000}));

  // The reset pulse: data register low on bit 1, then high, without backlight bits.
  const auto& ops = rig.trace.operations;
  EXPECT_EQ(ops[0], (PortOperation{Kind::Out, 0x378, 0x0C}));
  EXPECT_EQ(ops[1], (PortOperation{Kind::Sleep, 1, 0}));
  EXPECT_EQ(ops[2], (PortOperation{Kind::Out, 0x378, 0x0E}));
  EXPECT_EQ(ops[3], (PortOperation{Kind::Sleep, 1, 0}));
  EXPECT_FALSE(rig.driver.settings().FirstInitPending);
}

TEST(Controller, SecondInitEndsWithDisplayOn) {
  DriverRig rig;
  rig.driver.Init();
  rig.clearTrace();
  rig.driver.Init();
  EXPECT_EQ(rig.frames(), powerUpFrames(0x20, 0x80));
  EXPECT_EQ(sleepsOf(rig.trace), (std::vector<uint32_t>{1, 1, 2}));
}

TEST(Controller, StartupPictureOnlyFitsTheFullPanel) {
  DriverRig rig;
  rig.driver.SetIOPropertys("378", {.graphicsWidth = 60, .graphicsHeight = 40});
  rig.clearTrace();
  rig.driver.Init();

  std::vector<Frame> expected = powerUpFrames(0x20, 0x80);
  append(expected, {0xA5, 0xA4, 0xB0, 0x10, 0x00});
  appendZeros(expected);
  EXPECT_EQ(rig.frames(), expected);
  EXPECT_EQ(sleepsOf(rig.trace), (std::vector<uint32_t>{1, 1, 2, 1000}));
}

TEST(Controller, InitRepeatsTheConfiguredContrast) {
  DriverRig rig;
  rig.driver.SetIOPropertys("378", {.contrastOn = true, .contrastValue = 0x9C});
  rig.driver.Init();
  rig.clearTrace();
  rig.driver.Init();
  EXPECT_EQ(rig.frames(), powerUpFrames(0x22, 0x80 + 0x9C / 8));
}

TEST(Controller, InitKeepsCursorAndFrameMemory) {
  DriverRig rig;
  rig.driver.SetOutputAddress(3, 2);
  rig.driver.SendToMemory('A');
  const FrameMemory before = rig.driver.frameMemory();
  rig.driver.Init();
  rig.driver.CleanUp();
  EXPECT_EQ(rig.driver.frameMemory().TextLayer, before.TextLayer);
  EXPECT_EQ(rig.driver.settings().CursorColumn, 4);
  EXPECT_EQ(rig.driver.settings().CursorRow, 2);
}

TEST(Controller, CleanUpBlanksTheRamThenPowersDown) {
  DriverRig rig;
  rig.configure(0, 0, /*backlight=*/true);
  rig.clearTrace();
  rig.driver.CleanUp();

  std::vector<Frame> expected;
  appendZeros(expected);
  append(expected, {0xAE, 0xA5, 0x2E, 0x80, 0x20});
  EXPECT_EQ(rig.frames(), expected);

  const auto last_data_write =
      std::find_if(rig.trace.operations.rbegin(), rig.trace.operations.rend(),
                   [](const PortOperation& op) { return op.number == 0x378; });
  ASSERT_NE(last_data_write, rig.trace.operations.rend());
  EXPECT_EQ(last_data_write->value, 0xFE);
}

TEST(Controller, SetOutputAddressSendsTheCellsPageAndColumn) {
  struct Case {
    int32_t column, row;
    std::vector<Frame> expected;
  };
  const Case cases[] = {
      {0, 0, {cmd(0xB0), cmd(0x10), cmd(0x00)}},
      {3, 2, {cmd(0xB2), cmd(0x11), cmd(0x02)}},
      {13, 5, {cmd(0xB5), cmd(0x14), cmd(0x0E)}},
  };
  for (const Case& c : cases) {
    DriverRig rig;
    rig.driver.SetOutputAddress(c.column, c.row);
    EXPECT_EQ(rig.frames(), c.expected) << c.column << "," << c.row;
    EXPECT_EQ(rig.driver.settings().CursorColumn, c.column);
    EXPECT_EQ(rig.driver.settings().CursorRow, c.row);
  }
}

TEST(Controller, SetOutputAddressUsesTheAddressDelay) {
  DriverRig rig;
  rig.configure(/*addressDelay=*/2, /*busDelay=*/5);
  rig.clearTrace();
  rig.driver.SetOutputAddress(0, 0);
  const auto reads = std::count_if(rig.trace.operations.begin(), rig.trace.operations.end(),
                                   [](const PortOperation& op) { return op.kind == Kind::In; });
  EXPECT_EQ(reads, 3 * 18 * 2);
}

// On a 10 x 3 grid: every address on the grid moves the cursor there, every other one sends
// nothing and leaves the cursor where it was.
TEST(Controller, SetOutputAddressOffTheGridChangesNothing) {
  for (int32_t column : {INT32_MIN, -1, 0, 9, 10, 14, INT32_MAX}) {
    for (int32_t row : {INT32_MIN, -1, 0, 2, 3, 6, INT32_MAX}) {
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

}  // namespace
}  // namespace om6211::testing
