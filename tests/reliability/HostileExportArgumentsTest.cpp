// Hostile arguments at the exported boundary, where failures end as a kept message. Each test
// runs in a process of its own, starting from the load state.
#include <gtest/gtest.h>

#include <string>

#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "reliability/EntryPointEffects.h"
#include "support/DriverRig.h"

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

// A port text that does not convert ends the configuration before anything changes: no field,
// no settings file read, no command sent; the message is kept for the host to ask about.
TEST(HostileExports, RejectedPortTextsAreReportedAndChangeNothing) {
  ExportRig rig;
  rig.settings.present = true;
  rig.settings.contents = "[init]\nTextFont=Cyrillic\n";
  LCD_SetIOPropertys("3bc", 2, 3, 10, 4, 60, 40, 1, 0, 1, 99, 0, 0, 0);
  LCD_SetOutputAddress(3, 2);
  const std::string longText(10000, '7');
  const std::string longMessage = "'$" + longText + "' is not a valid integer value";
  const std::pair<const char*, std::string> cases[] = {
      {nullptr, "no port text given (null pointer)"},
      {"", "'$' is not a valid integer value"},
      {"0x378", "'$0x378' is not a valid integer value"},
      {"\xE9\xE8", "'$\xE9\xE8' is not a valid integer value"},
      // The kept message has room for 511 characters; longer ones are cut.
      {longText.c_str(), longMessage.substr(0, 511)},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(message.substr(0, 40));
    rig.trace.operations.clear();
    rig.settings.filesAsked.clear();
    exported::clearLastFailure();
    const DriverSnapshot before = staticState();
    LCD_SetIOPropertys(text, 9, 9, 3, 3, 30, 30, 0, 0, 0, 7, 0, 0, 0);
    EXPECT_EQ(exported::lastFailure(), message);
    EXPECT_TRUE(sameState(before, staticState()));
    EXPECT_TRUE(rig.trace.operations.empty());
    EXPECT_TRUE(rig.settings.filesAsked.empty());
  }
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
