// Through the exported entry points: a port that is gone for a whole session, and one whose
// failures come and go. Every entry point must return, change only what it owns, and once the
// port is back the next session must reach the display exactly as if nothing had happened.
// Each test runs in a process of its own, starting from the load state.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/FaultSession.h"
#include "reliability/TraceShape.h"

namespace om6211::reliability {
namespace {

// The full-display session of FaultSession.h, made through the exports on the one static
// driver, with a custom glyph defined on the way.
std::vector<SessionCall> exportedSession() {
  std::vector<SessionCall> calls;
  calls.push_back({EntryPoint::SetIOPropertys, "configure", [](Driver&) {
                     LCD_SetIOPropertys("378", 1, 0, 14, 6, 84, 48, 1, 0, 1, 200, 0, 0, 0);
                   }});
  calls.push_back({EntryPoint::Init, "init", [](Driver&) { LCD_Init(); }});
  calls.push_back({EntryPoint::SetCGRAMChar, "glyph", [](Driver&) {
                     Om6211GlyphBlock block{};
                     block.bytes[0] = 3;
                     block.bytes[1] = 1;
                     LCD_SetCGRAMChar(block);
                   }});
  for (int32_t row = 0; row < 6; ++row) {
    calls.push_back({EntryPoint::SetOutputAddress, "address row " + std::to_string(row),
                     [row](Driver&) { LCD_SetOutputAddress(0, row); }});
    for (int32_t column = 0; column < 14; ++column) {
      calls.push_back({EntryPoint::SendToMemory, "character",
                       [=](Driver&) { LCD_SendToMemory(sessionCharacter(column, row, 14)); }});
    }
  }
  calls.push_back({EntryPoint::SendToGfxMemory, "graphic", [](Driver&) {
                     const auto bitmap = sessionBitmap();
                     LCD_SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, 1);
                   }});
  calls.push_back({EntryPoint::CleanUp, "clean-up", [](Driver&) { LCD_CleanUp(); }});
  return calls;
}

struct ExportedPort {
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  testing::InMemorySettings settings;
  testing::FixedHostFolder hostFolder;

  ExportedPort() {
    settings.present = true;
    settings.contents = SessionSettingsFile;
    exported::usePlatform({&port, &pauses, &settings, &hostFolder});
  }
};

// Runs the session through the exports while the port fails as it has been told, checking
// every call; returns how many calls had a failure.
int runFailingSession(ExportedPort& rig) {
  int failedCalls = 0;
  for (const SessionCall& call : exportedSession()) {
    SCOPED_TRACE(call.description);
    const DriverSnapshot before = DriverSnapshot::of(exported::instance());
    const uint64_t failuresBefore = rig.port.failureCount();
    rig.trace.operations.clear();
    exported::clearLastFailure();
    Driver unused{Platform{}};
    call.call(unused);
    const DriverSnapshot after = DriverSnapshot::of(exported::instance());
    EXPECT_EQ(forbiddenChange(call.entryPoint, before, after), "");
    EXPECT_EQ(brokenInvariant(after), "");
    EXPECT_EQ(strayOperation(rig.trace, after.settings), "");
    const bool failed = rig.port.failureCount() != failuresBefore;
    failedCalls += failed;
    if (!failed) {
      EXPECT_EQ(exported::lastFailure(), "") << "failure kept without a port failure";
    }
  }
  return failedCalls;
}

// What the session sends from the current state of the static driver when nothing fails,
// worked out on a copy of that state.
PortTrace referenceFromHere() {
  DriverBench bench(exported::instance());
  for (const SessionCall& call : fullDisplaySession()) call.call(bench.driver);
  return bench.trace;
}

void expectRecoveredSession(ExportedPort& rig) {
  const PortTrace expected = referenceFromHere();
  rig.trace.operations.clear();
  exported::clearLastFailure();
  Driver unused{Platform{}};
  for (const SessionCall& call : exportedSession()) call.call(unused);
  EXPECT_EQ(exported::lastFailure(), "");
  EXPECT_EQ(analyseTrace(rig.trace, exported::instance().settings()).problem, "");
  EXPECT_TRUE(rig.trace.operations == expected.operations)
      << "the session after the failures does not send what it sends on a sound port";
}

TEST(PortLoss, PortGoneForAWholeSessionThenBack) {
  ExportedPort rig;
  rig.port.failWhen([](uint64_t) { return true; });
  const int failedCalls = runFailingSession(rig);
  // Configuration, initialisation, the six addressing calls, the last character's refresh, the
  // graphic and the clean-up: the cursor moves even when its address cannot be sent, so no row
  // of the host's text is dropped.
  EXPECT_EQ(failedCalls, 11);
  EXPECT_TRUE(rig.trace.operations.empty());
  // The start-up picture was never shown, so the first initialisation is still to come.
  EXPECT_TRUE(exported::instance().settings().FirstInitPending);

  rig.port.stopFailing();
  expectRecoveredSession(rig);
  EXPECT_FALSE(exported::instance().settings().FirstInitPending);
}

TEST(PortLoss, FailuresThatComeAndGo) {
  ExportedPort rig;
  // Single failures now and then, and short bursts.
  rig.port.failWhen([](uint64_t n) { return n % 997 == 13 || n % 4099 < 5; });
  int failedCalls = 0;
  for (int session = 0; session < 20; ++session) failedCalls += runFailingSession(rig);
  EXPECT_GE(failedCalls, 60) << "failures should reach many calls";
  std::cout << "[ faults   ] come and go: " << rig.port.failureCount()
            << " port failures injected in " << rig.port.operationCount() << " operations\n";

  rig.port.stopFailing();
  expectRecoveredSession(rig);
}

}  // namespace
}  // namespace om6211::reliability
