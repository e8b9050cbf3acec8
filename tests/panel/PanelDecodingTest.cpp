// The virtual panel on hand-written register sequences: what the pins carry, not what a driver
// meant to send.
#include <gtest/gtest.h>

#include <vector>

#include "panel/VirtualPanel.h"

namespace om6211::panel {
namespace {

constexpr uint32_t Data = 0x378;
constexpr uint32_t Control = 0x37A;

struct Frame {
  bool isData;
  uint8_t value;
  friend bool operator==(const Frame&, const Frame&) = default;
};

class FrameLog final : public PanelObserver {
 public:
  void onFrame(bool isData, uint8_t value) override { frames.push_back({isData, value}); }
  void onScreenWritten() override { ++screens; }
  std::vector<Frame> frames;
  int screens = 0;
};

class PanelDecodingTest : public ::testing::Test {
 protected:
  PanelDecodingTest() { panel.controller().observe(&log); }

  // One bit as the standard wiring clocks it: clock low with the data level, then the rise.
  void bit(bool value) {
    panel.write(Control, value ? 2 : 3);
    panel.write(Control, value ? 0 : 1);
  }
  void bits(uint16_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bit((value >> i) & 1);
  }
  void frame(bool isData, uint8_t value) {
    panel.write(Data, 0x0E);
    bits(static_cast<uint16_t>((isData ? 0x100 : 0) | value), 9);
  }

  VirtualPanel panel;
  FrameLog log;
};

TEST_F(PanelDecodingTest, NineBitsMakeAFrameSelectorFirstMostSignificantNext) {
  frame(false, 0xE2);
  frame(true, 0x7E);
  frame(true, 0x81);
  EXPECT_EQ(log.frames, (std::vector<Frame>{{false, 0xE2}, {true, 0x7E}, {true, 0x81}}));
  EXPECT_EQ(panel.pendingBits(), 0);
}

TEST_F(PanelDecodingTest, ResetLineLowDiscardsAFrameSplitAcrossIt) {
  panel.write(Data, 0x0E);
  bits(0x0AF, 5);           // first five bits of a command
  panel.write(Data, 0x0C);  // reset line low
  bits(0x1FF, 4);           // clocked while held in reset: ignored
  EXPECT_TRUE(panel.inReset());
  panel.write(Data, 0x0E);  // released
  EXPECT_EQ(panel.pendingBits(), 0);
  frame(false, 0xA6);
  EXPECT_EQ(log.frames, (std::vector<Frame>{{false, 0xA6}}));
}

TEST_F(PanelDecodingTest, ResetLineLowResetsTheController) {
  frame(false, 0xAF);
  frame(false, 0xB3);
  panel.write(Data, 0x0C);
  panel.write(Data, 0x0E);
  EXPECT_FALSE(panel.controller().displayOn());
  EXPECT_EQ(panel.controller().page(), 0);
}

TEST_F(PanelDecodingTest, AShortFrameStaysPendingAndCompletesWithLaterBits) {
  panel.write(Data, 0x0E);
  bits(0x05, 4);
  EXPECT_TRUE(log.frames.empty());
  EXPECT_EQ(panel.pendingBits(), 4);
  // Writing the data register is no reset while bit 1 stays high: the frame goes on.
  panel.write(Data, 0xFE);
  bits(0x0F, 5);
  EXPECT_EQ(log.frames, (std::vector<Frame>{{false, 0xAF}}));
}

TEST_F(PanelDecodingTest, TheSameLevelWrittenTwiceIsNoEdge) {
  panel.write(Data, 0x0E);
  panel.write(Control, 3);
  panel.write(Control, 1);  // rise: bit 0
  panel.write(Control, 1);  // no change
  panel.write(Control, 0);  // clock stays high: the data line moves, nothing is sampled
  panel.write(Control, 0);
  EXPECT_EQ(panel.pendingBits(), 1);
  bits(0xAF, 8);
  EXPECT_EQ(log.frames, (std::vector<Frame>{{false, 0xAF}}));
}

TEST_F(PanelDecodingTest, DataIsSampledAtTheRisingEdgeNotBefore) {
  panel.write(Data, 0x0E);
  // Clock low with data 0, then the data line goes to 1 while the clock is still low, and the
  // clock rises with data 1: the controller takes 1.
  panel.write(Control, 3);
  panel.write(Control, 2);
  panel.write(Control, 0);
  bits(0xA5, 8);
  EXPECT_EQ(log.frames, (std::vector<Frame>{{true, 0xA5}}));
}

TEST_F(PanelDecodingTest, OtherPortsAndReadsDoNotReachTheModule) {
  panel.write(Data, 0x0E);
  bits(0x1, 1);
  panel.write(0x220, 3);
  panel.write(0x278, 0x00);
  panel.write(0x37B, 1);
  EXPECT_EQ(panel.read(0x220), 0xFF);
  EXPECT_EQ(panel.pendingBits(), 1);
  EXPECT_FALSE(panel.inReset());
}

TEST_F(PanelDecodingTest, APanelOnAnotherPortBaseListensThere) {
  VirtualPanel other(0x278);
  other.write(0x27A, 3);
  other.write(0x27A, 1);
  panel.write(0x27A, 3);
  panel.write(0x27A, 1);
  EXPECT_EQ(other.pendingBits(), 1);
  EXPECT_EQ(panel.pendingBits(), 0);
}

TEST_F(PanelDecodingTest, BacklightFollowsDataBitsFourToSeven) {
  struct Case {
    uint8_t value;
    bool lit;
  };
  for (const Case& c : {Case{0x0E, false}, Case{0xFE, true}, Case{0x1E, true}, Case{0x8E, true}}) {
    panel.write(Data, c.value);
    EXPECT_EQ(panel.backlight(), c.lit) << static_cast<int>(c.value);
    EXPECT_EQ(panel.glass().backlight, c.lit);
  }
}

TEST_F(PanelDecodingTest, UnknownCommandsAreCountedAndTheStreamGoesOn) {
  frame(false, 0xC8);
  frame(false, 0xC8);
  frame(false, 0xB7);  // a page the module does not have
  frame(false, 0xAF);
  EXPECT_EQ(panel.controller().unknownCommandCount(), 3u);
  EXPECT_EQ(panel.controller().unknownCommands()[0xC8], 2u);
  EXPECT_EQ(panel.controller().unknownCommands()[0xB7], 1u);
  EXPECT_TRUE(panel.controller().displayOn());
}

TEST_F(PanelDecodingTest, CountsEveryOperation) {
  frame(false, 0xAF);
  panel.read(0x220);
  EXPECT_EQ(panel.operationCount(), 1u + 18u + 1u);
  EXPECT_EQ(panel.frameCount(), 1u);
}

}  // namespace
}  // namespace om6211::panel
