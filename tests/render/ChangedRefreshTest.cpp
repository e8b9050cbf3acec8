// Sending only what changed must put on the glass exactly what the full refresh puts there, at
// the fewest frames. Two drivers, one in each mode, take the same generated host calls, each
// on a virtual panel; the panels are the judges, and the fewest frames are computed here by a
// search of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "panel/VirtualPanel.h"
#include "support/DriverRig.h"
#include "support/HostGenerator.h"
#include "support/QuietPlatform.h"
#include "support/RefreshFloor.h"

namespace om6211::testing {
namespace {

// A driver on a virtual panel, keeping the frames the panel took during the last call.
struct PanelRig final : panel::PanelObserver {
  PanelRig() {
    settings.present = true;
    panel.controller().observe(this);
  }
  void onFrame(bool isData, uint8_t value) override { frames.push_back({isData, value}); }
  void onScreenWritten() override {}

  panel::VirtualPanel panel;
  SilentPauses pauses;
  InMemorySettings settings;
  FixedHostFolder folder;
  Driver driver{Platform{&panel, &pauses, &settings, &folder}};
  std::vector<Frame> frames;
};

bool sameGlass(const panel::Glass& a, const panel::Glass& b) {
  return a.dark == b.dark && a.backlight == b.backlight && a.darkness == b.darkness;
}

bool isModeCommand(const Frame& frame) {
  return !frame.isData && (frame.value == 0xA6 || frame.value == 0xA7);
}

// What the changed mode must do, worked out from the rules alone: the controller's region is
// known after an initialisation or a refresh and unknown after a configuration or a clean-up;
// the address and display mode follow the frames sent.
struct Expectation {
  bool regionKnown = false;
  std::optional<bool> inverted;
  AddressTracker address;
  uint32_t changedSinceFull = 0;
  uint32_t fullRefreshEvery = 32;

  void forget() {
    regionKnown = false;
    inverted.reset();
    address = {};
  }
  void follow(const std::vector<Frame>& frames) {
    for (const Frame& frame : frames) {
      address.onFrame(frame.isData, frame.value);
      if (isModeCommand(frame)) inverted = frame.value == 0xA7;
      if (frame == cmd(0xE2)) inverted.reset();
    }
  }
};

class Comparison {
 public:
  void run(const HostCall& call) {
    if (call.kind == CallKind::Configure) {
      changed_.settings.contents = call.settingsFile;
      full_.settings.contents = call.settingsFile.substr(0, call.settingsFile.find("\nRefresh"));
    }
    const auto ramBefore = changed_.panel.controller().ram();
    const RamAddress addressBefore = expected_.address.address;
    changed_.frames.clear();
    full_.frames.clear();
    call.apply(changed_.driver);
    call.apply(full_.driver);

    if (!changed_.frames.empty() || !full_.frames.empty()) {
      EXPECT_TRUE(sameGlass(changed_.panel.glass(), full_.panel.glass())) << "glasses differ";
    }
    const bool refreshed =
        std::ranges::any_of(full_.frames, [](const Frame& f) { return f.isData; });
    switch (call.kind) {
      case CallKind::Configure:
        expected_.forget();
        expected_.changedSinceFull = 0;
        expected_.fullRefreshEvery = call.fullRefreshEvery;
        break;
      case CallKind::CleanUp:
        expected_.forget();
        break;
      case CallKind::Init:
        expected_.regionKnown = true;
        break;
      case CallKind::Text:
      case CallKind::Graphics:
      case CallKind::Picture:
        if (refreshed) checkRefresh(call, ramBefore, addressBefore);
        break;
      case CallKind::Address:
      case CallKind::Glyph:
        EXPECT_TRUE(changed_.frames.empty()) << "sent frames that cannot change the glass";
        break;
    }
    expected_.follow(changed_.frames);
  }
  uint64_t changedRefreshes() const { return changedRefreshes_; }

 private:
  void checkRefresh(const HostCall& call, const std::array<uint8_t, 504>& ramBefore,
                    RamAddress addressBefore) {
    const uint32_t every = expected_.fullRefreshEvery;
    const bool fullDue =
        !expected_.regionKnown || (every != 0 && expected_.changedSinceFull + 1 >= every);
    expected_.regionKnown = true;
    if (fullDue) {
      expected_.changedSinceFull = 0;
      EXPECT_EQ(changed_.frames, full_.frames) << "a full refresh was due";
      return;
    }
    ++expected_.changedSinceFull;
    ++changedRefreshes_;
    std::vector<Frame> frames = changed_.frames;
    const bool modeSent = !frames.empty() && isModeCommand(frames.front());
    EXPECT_EQ(modeSent, call.kind == CallKind::Graphics && expected_.inverted != call.inverted)
        << "display mode command";
    if (modeSent) frames.erase(frames.begin());
    const DriverSettings& geometry = changed_.driver.settings();
    EXPECT_EQ(frames.size(), static_cast<std::size_t>(refreshFloor(
                                 ramBefore, full_.panel.controller().ram(), geometry.TextRows,
                                 geometry.GraphicsWidth, addressBefore)))
        << "not the fewest frames";
    EXPECT_EQ(changed_.driver.settings().CursorColumn, 0);
    EXPECT_EQ(changed_.driver.settings().CursorRow, 0);
  }

 public:
  PanelRig changed_;
  PanelRig full_;

 private:
  Expectation expected_;
  uint64_t changedRefreshes_ = 0;
};

TEST(ChangedRefresh, ShowsWhatTheFullRefreshShowsAtTheFewestFrames) {
  constexpr uint32_t Sequences = 300;
  constexpr int StepsPerSequence = 30;
  uint64_t changedRefreshes = 0;
  for (uint32_t seed = 1; seed <= Sequences && !HasFailure(); ++seed) {
    HostGenerator host(seed);
    Comparison comparison;
    std::vector<HostCall> calls{host.configure(), {CallKind::Init, [](Driver& d) { d.Init(); }}};
    for (int step = 0; step <= StepsPerSequence && !HasFailure(); ++step) {
      for (const HostCall& call : calls) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step) +
                     ", call kind " + std::to_string(static_cast<int>(call.kind)));
        comparison.run(call);
        if (HasFailure()) break;
      }
      calls = host.next(comparison.changed_.driver.settings());
    }
    changedRefreshes += comparison.changedRefreshes();
  }
  RecordProperty("changed_refreshes", std::to_string(changedRefreshes));
  std::cout << "[ changed  ] " << changedRefreshes << " changed-only refreshes judged\n";
  EXPECT_GT(changedRefreshes, Sequences * 5u) << "too few changed refreshes to judge";
}

}  // namespace
}  // namespace om6211::testing
