#include "host/PortTrace.h"

#include <gtest/gtest.h>

#include "support/RecordingPauses.h"
#include "support/RecordingPort.h"

namespace om6211 {
namespace {

TEST(PortTrace, LinesAreByteExact) {
  PortTrace trace;
  RecordingPort port(trace);
  RecordingPauses pauses(trace);
  port.write(0x378, 0x0E);
  port.write(0x37A, 3);
  port.read(0x220);
  pauses.sleep(1000);
  port.write(0x3BC, 0xFE);
  port.write(0, 0);
  port.write(0xFFFFFFFF, 0xA5);
  pauses.sleep(0);
  pauses.sleep(4294967295u);
  EXPECT_EQ(trace.text(),
            "out 378 0e\nout 37a 03\nin 220\nsleep 1000\nout 3bc fe\nout 0 00\n"
            "out ffffffff a5\nsleep 0\nsleep 4294967295\n");
}

TEST(RecordingPort, FailedOperationsAreCountedButNotTraced) {
  PortTrace trace;
  RecordingPort port(trace);
  port.failAt({1, 2});
  port.write(0x378, 1);
  EXPECT_THROW(port.write(0x378, 2), PortFailure);
  EXPECT_THROW(port.read(0x220), PortFailure);
  port.write(0x378, 4);
  EXPECT_EQ(port.operationCount(), 4u);
  EXPECT_EQ(port.failureCount(), 2u);
  EXPECT_EQ(trace.text(), "out 378 01\nout 378 04\n");
}

}  // namespace
}  // namespace om6211
