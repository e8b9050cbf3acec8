// The trace checker that the fault and fuzz runs rely on must tell a sound frame from a
// damaged one, or their verdicts mean nothing.
#include "reliability/TraceShape.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/DriverRig.h"

namespace om6211::reliability {
namespace {

using Operations = std::vector<PortOperation>;

// The trace of one command with the address delay 2 and the bus delay 1: one read after
// each control write of a bus frame.
Operations commandFrame() {
  testing::DriverRig rig;
  rig.driver.SetIOPropertys("378", {.addressDelay = 2, .busDelay = 1, .backlight = true});
  rig.clearTrace();
  rig.driver.SetOutputAddress(0, 0);  // three frames with two reads per half bit
  return rig.trace.operations;
}

TEST(TraceShape, TellsSoundFramesFromDamagedOnes) {
  DriverSettings settings;
  settings.AddressDelay = 2;
  settings.BusDelay = 1;
  settings.BacklightBits = 0xF0;
  const Operations sound = commandFrame();
  ASSERT_EQ(sound.size(), 3u * (1 + 18 * 3));
  const TraceShape shape = analyseTrace(PortTrace{sound}, settings);
  EXPECT_EQ(shape.problem, "");
  EXPECT_EQ(shape.frames, 3u);
  EXPECT_EQ(shape.places[0].role, OperationRole::FrameStart);
  EXPECT_EQ(shape.places[1].role, OperationRole::SelectorBit);
  EXPECT_EQ(shape.places[7].role, OperationRole::ValueBit);
  EXPECT_EQ(shape.places[7].bitEnd, 13u);

  struct Damage {
    const char* name;
    std::function<void(Operations&)> apply;
  };
  const std::vector<Damage> damages = {
      {"second half missing", [](Operations& ops) { ops.erase(ops.begin() + 4); }},
      {"a delay read missing", [](Operations& ops) { ops.erase(ops.begin() + 2); }},
      {"control value 4", [](Operations& ops) { ops[1].value = 4; }},
      {"second half not matching", [](Operations& ops) { ops[4].value = 0; }},
      {"backlight bits missing", [](Operations& ops) { ops[0].value = 0x0E; }},
      {"write to another port", [](Operations& ops) { ops[1].number = 0x379; }},
      {"frame cut short", [](Operations& ops) { ops.resize(ops.size() - 1); }},
      {"delay changing within a frame",  // the first bit with one read per half, then two
       [](Operations& ops) {
         ops.erase(ops.begin() + 2);
         ops.erase(ops.begin() + 4);
       }},
  };
  for (const Damage& damage : damages) {
    Operations damaged = sound;
    damage.apply(damaged);
    EXPECT_NE(analyseTrace(PortTrace{damaged}, settings).problem, "") << damage.name;
  }
}

TEST(TraceShape, StrayOperationsAfterFailures) {
  DriverSettings settings;
  using Kind = PortOperation::Kind;
  EXPECT_EQ(strayOperation(PortTrace{{{Kind::Out, 0x37A, 3},
                                      {Kind::In, 0x220, 0},
                                      {Kind::Out, 0x378, 0x0E},
                                      {Kind::Sleep, 5, 0}}},
                           settings),
            "");
  EXPECT_NE(strayOperation(PortTrace{{{Kind::Out, 0x37A, 7}}}, settings), "");
  EXPECT_NE(strayOperation(PortTrace{{{Kind::Out, 0x378, 0xFE}}}, settings), "");
  EXPECT_NE(strayOperation(PortTrace{{{Kind::In, 0x378, 0}}}, settings), "");
  EXPECT_NE(strayOperation(PortTrace{{{Kind::Out, 0x220, 0}}}, settings), "");
}

}  // namespace
}  // namespace om6211::reliability
