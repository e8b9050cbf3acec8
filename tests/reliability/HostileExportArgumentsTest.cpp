// Hostile arguments at the exported boundary, where failures end as a kept message. Each test
// runs in a process of its own, starting from the load state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/ExportBinding.h"
#include "driver/Exports.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/FaultSession.h"
#include "reliability/TraceShape.h"

namespace om6211::reliability {
namespace {

struct ExportRig {
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  testing::InMemorySettings settings;
  testing::FixedHostFolder hostFolder;

  ExportRig() { exported::usePlatform({&port, &pauses, &settings, &hostFolder}); }
};

DriverSnapshot staticState() {
  return DriverSnapshot::of(exported::instance());
}

void configure(const char* port) {
  LCD_SetIOPropertys(port, 2, 3, 10, 4, 60, 40, 1, 0, 1, 99, 0, 0, 0);
}

TEST(HostileExports, RejectedPortTextsAreReportedAndChangeNothing) {
  ExportRig rig;
  configure("3bc");
  const std::string longText(10000, '7');
  struct Case {
    const char* text;
    std::string message;
  };
  const std::string longMessage = "'$" + longText + "' is not a valid integer value";
  const std::vector<Case> cases = {
      {nullptr, "no port text given (null pointer)"},
      {"", "'$' is not a valid integer value"},
      {"0x378", "'$0x378' is not a valid integer value"},
      {"\xE9\xE8", "'$\xE9\xE8' is not a valid integer value"},
      // The kept message has room for 511 characters; longer ones are cut.
      {longText.c_str(), longMessage.substr(0, 511)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.substr(0, 40));
    rig.trace.operations.clear();
    exported::clearLastFailure();
    const DriverSnapshot before = staticState();
    configure(c.text);
    EXPECT_EQ(exported::lastFailure(), c.message);
    EXPECT_TRUE(sameState(before, staticState()));
    EXPECT_TRUE(rig.trace.operations.empty());
  }
}

// Slots wider than their argument: only the low 16 bits of a coordinate count, so garbage
// above them cannot widen a rectangle.
TEST(HostileExports, CoordinateSlotsAreReadAs16Bits) {
  ExportRig rig;
  configure("378");
  std::vector<uint8_t> bitmap(HostBitmapBytes, 1);
  const DriverSnapshot before = staticState();
  LCD_SendToGfxMemory(bitmap.data(), 0xFFFF0000u | 5, 0x80000000u, 0x0001FFFFu, 0xDEAD0007u, 0x100);
  const DriverSnapshot after = staticState();
  EXPECT_EQ(forbiddenChange(EntryPoint::SendToGfxMemory, before, after), "");
  for (int x = 0; x < 84; ++x) {
    EXPECT_EQ(after.memory.GraphicsLayer[FrameMemory::layerIndex(x, 0)], x >= 5 ? 0xFF : 0) << x;
    EXPECT_EQ(after.memory.GraphicsLayer[FrameMemory::layerIndex(x, 1)], 0) << x;
  }
  EXPECT_EQ(analyseTrace(rig.trace, after.settings).problem, "");
  EXPECT_EQ(exported::lastFailure(), "");
}

TEST(HostileExports, NullPointersAreHarmless) {
  ExportRig rig;
  EXPECT_EQ(DLL_GetInfo(nullptr), nullptr);
  const DriverSnapshot before = staticState();
  LCD_SendToGfxMemory(nullptr, 0, 0, 83, 47, 1);
  EXPECT_TRUE(sameState(before, staticState()));
  EXPECT_TRUE(rig.trace.operations.empty());
  EXPECT_EQ(exported::lastFailure(), "");
}

}  // namespace
}  // namespace om6211::reliability
