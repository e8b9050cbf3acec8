#include "link/SerialLink.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/ParallelPortBus.h"
#include "support/RecordingPort.h"

namespace om6211 {
namespace {

using Kind = PortOperation::Kind;

struct LinkRig {
  PortTrace trace;
  RecordingPort port{trace};
  ParallelPortBus bus{port, 0x378};
  SerialLink link{bus, {}};

  std::vector<uint8_t> controlWrites() const {
    std::vector<uint8_t> values;
    for (const auto& op : trace.operations) {
      if (op.kind == Kind::Out && op.number == 0x37A) values.push_back(op.value);
    }
    return values;
  }
  int delayReads() const {
    int reads = 0;
    for (const auto& op : trace.operations) reads += op.kind == Kind::In && op.number == 0x220;
    return reads;
  }
};

// Control values of one bit: 3,1 for a zero, 2,0 for a one.
std::vector<uint8_t> controlSequence(bool isData, uint8_t value) {
  std::vector<uint8_t> sequence;
  auto bit = [&](bool one) {
    sequence.push_back(one ? 2 : 3);
    sequence.push_back(one ? 0 : 1);
  };
  bit(isData);
  for (int b = 7; b >= 0; --b) bit((value >> b) & 1);
  return sequence;
}

TEST(SerialLink, CommandA5IsSelectorZeroThenBitsMostSignificantFirst) {
  LinkRig rig;
  rig.link.SendCommand(0xA5, 0);
  ASSERT_EQ(rig.trace.operations.size(), 19u);
  EXPECT_EQ(rig.trace.operations[0], (PortOperation{Kind::Out, 0x378, 0x0E}));
  EXPECT_EQ(rig.controlWrites(),
            (std::vector<uint8_t>{3, 1, 2, 0, 3, 1, 2, 0, 3, 1, 3, 1, 2, 0, 3, 1, 2, 0}));
}

TEST(SerialLink, DataZeroIsSelectorOneThenEightZeroBits) {
  LinkRig rig;
  rig.link.SendData(0x00, 0);
  EXPECT_EQ(rig.controlWrites(),
            (std::vector<uint8_t>{2, 0, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 1}));
}

TEST(SerialLink, DelayCountsPortReadsAfterEveryControlWrite) {
  struct Case {
    int32_t delay;
    int expectedReads;
  };
  for (const Case c : {Case{3, 54}, Case{1, 18}, Case{0, 0}, Case{-1, 0}, Case{-100000, 0}}) {
    LinkRig rig;
    rig.link.SendCommand(0x5A, c.delay);
    EXPECT_EQ(rig.delayReads(), c.expectedReads) << "delay " << c.delay;
    EXPECT_EQ(rig.controlWrites(), controlSequence(false, 0x5A)) << "delay " << c.delay;
  }
}

TEST(SerialLink, DataRegisterCarriesTheBacklightBits) {
  for (const auto& [on, expected] : {std::pair{false, 0x0E}, std::pair{true, 0xFE}}) {
    LinkRig rig;
    ParallelPortBus bus{rig.port, 0x278};
    SerialLink link{bus, {.backlightOn = on}};
    link.SendData(0x81, 0);
    EXPECT_EQ(rig.trace.operations[0], (PortOperation{Kind::Out, 0x278, uint8_t(expected)}));
    EXPECT_EQ(rig.trace.operations[1].number, 0x27Au);
  }
}

// Operation k of a frame with delay 0: 0 is the data register, 1-2 the selector bit, and
// 3 + 2b, 4 + 2b the two halves of value bit b (b = 0 for the most significant).
TEST(SerialLink, FailureInsideAValueBitAbandonsOnlyTheRestOfThatBit) {
  const std::vector<uint8_t> full = controlSequence(false, 0xC3);
  for (uint64_t k = 3; k < 19; ++k) {
    LinkRig rig;
    rig.port.failAt({k});
    EXPECT_NO_THROW(rig.link.SendCommand(0xC3, 0)) << "failing operation " << k;

    std::vector<uint8_t> expected = full;
    const std::size_t failedWrite = k - 1;  // index among the control writes
    const bool firstHalf = (k - 3) % 2 == 0;
    expected.erase(expected.begin() + failedWrite,
                   expected.begin() + failedWrite + (firstHalf ? 2 : 1));
    EXPECT_EQ(rig.controlWrites(), expected) << "failing operation " << k;
    // Without delay reads every failure in a bit costs its clock edge: the frame falls short.
    EXPECT_FALSE(rig.bus.inStep()) << "failing operation " << k;
    EXPECT_EQ(rig.bus.absorbedFailures().count(), 1u);
  }
}

TEST(SerialLink, FailureInTheDataRegisterOrSelectorReachesTheCaller) {
  for (uint64_t k : {0u, 1u, 2u}) {
    LinkRig rig;
    rig.port.failAt({k});
    EXPECT_THROW(rig.link.SendData(0xFF, 0), PortFailure) << "failing operation " << k;
    EXPECT_EQ(rig.trace.operations.size(), k) << "nothing after the failure";
    EXPECT_TRUE(rig.bus.inStep()) << "no clock edge was made, failing operation " << k;
  }
}

// With delay 1 a bit is write, read, write, read: the clock rises at its second write. A frame
// cut short after a rising edge leaves the controller inside a frame; a reset pulse ends that.
TEST(SerialLink, AFrameThatMissesAClockEdgeLeavesTheControllerOutOfStep) {
  struct Case {
    uint64_t failing;
    bool raised;
    bool inStep;
  };
  const Case cases[] = {
      {2, true, true},    // the selector's first delay read: no edge yet
      {4, true, false},   // the selector's last read, after its edge
      {5, false, false},  // a value bit's first half: its edge is lost
      {7, false, false},  // the write that would have raised the clock
      {8, false, true},   // the read after the edge: the bit went through
  };
  for (const Case& c : cases) {
    LinkRig rig;
    rig.port.failAt({c.failing});
    bool raised = false;
    try {
      rig.link.SendData(0x5A, 1);
    } catch (const PortFailure&) {
      raised = true;
    }
    EXPECT_EQ(raised, c.raised) << "failing operation " << c.failing;
    EXPECT_EQ(rig.bus.inStep(), c.inStep) << "failing operation " << c.failing;
    rig.link.setControlLines({.resetReleased = false});
    EXPECT_TRUE(rig.bus.inStep()) << "after a reset pulse, failing operation " << c.failing;
  }
}

TEST(SerialLink, FailingDelayReadAbandonsTheRestOfTheBit) {
  // With delay 1 a bit is write, read, write, read; the first value bit starts at operation 5.
  LinkRig rig;
  rig.port.failAt({6});  // the read after the first half of the most significant bit
  rig.link.SendCommand(0x80, 1);
  std::vector<uint8_t> expected = controlSequence(false, 0x80);
  expected.erase(expected.begin() + 3);  // its second half never happened
  EXPECT_EQ(rig.controlWrites(), expected);
  EXPECT_EQ(rig.delayReads(), 18 - 2);  // the failed read and the abandoned one
}

}  // namespace
}  // namespace om6211
