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

enum class CallKind { Configure, Init, CleanUp, Address, Text, Graphics, Glyph, Picture };

struct HostCall {
  HostCall(CallKind kind, std::function<void(Driver&)> apply)
      : kind(kind), apply(std::move(apply)) {}

  CallKind kind;
  std::function<void(Driver&)> apply;
  bool inverted = false;           // of a graphics upload
  std::string settingsFile;        // of a configuration, in the changed mode
  uint32_t fullRefreshEvery = 32;  // what that file asks for
};

// Generates host calls: configurations with any geometry, mixing and re-sync interval,
// initialisations, clean-ups, screens of text of which a few cells change, stray addresses
// and characters, graphics uploads of small changes, custom glyphs and composed pictures.
class HostGenerator {
 public:
  explicit HostGenerator(uint32_t seed) : rng_(seed) {}

  std::vector<HostCall> next(const DriverSettings& geometry) {
    const int choice = pick(0, 99);
    if (choice < 5) return {configure()};
    if (choice < 10) return {{CallKind::Init, [](Driver& d) { d.Init(); }}};
    if (choice < 12) return {{CallKind::CleanUp, [](Driver& d) { d.CleanUp(); }}};
    if (choice < 50) return screen(geometry);
    if (choice < 58) return stray();
    if (choice < 80) return graphics(geometry);
    if (choice < 85) return glyph();
    return picture();
  }
  HostCall configure() {
    static const char* const mixes[] = {"XOR", "OR", "AND"};
    static const char* const modes[] = {"Changed", "changed", "CHANGED"};
    static const char* const intervals[] = {"0", "1", "3", "32", "x", "-2"};
    const std::string every = intervals[pick(0, 5)];
    const std::string common = std::string("[init]\nText+GraphicsDisplayMode=") + mixes[pick(0, 2)];
    const IoProperties properties{.textColumns = pick(0, 1) ? 0 : pick(1, 16),
                                  .textRows = pick(0, 1) ? 0 : pick(1, 7),
                                  .graphicsWidth = pick(0, 1) ? 0 : pick(1, 90),
                                  .graphicsHeight = pick(0, 1) ? 0 : pick(16, 48),
                                  .backlight = pick(0, 1) == 1};
    HostCall call{CallKind::Configure,
                  [properties](Driver& d) { d.SetIOPropertys("378", properties); }};
    call.settingsFile =
        common + "\nRefreshMode=" + modes[pick(0, 2)] + "\nFullRefreshEvery=" + every + "\n";
    call.fullRefreshEvery = every == "x" || every == "-2" ? 32 : std::stoul(every);
    return call;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::vector<HostCall> screen(const DriverSettings& geometry) {
    static const uint8_t codes[] = {' ', 'A', 'B', 'x', 0, 1, 0x1F, 0xC9};
    for (int changes = pick(0, 3); changes > 0; --changes) {
      cells_[static_cast<std::size_t>(pick(0, 83))] = codes[pick(0, 7)];
    }
    std::vector<HostCall> calls;
    for (int32_t row = 0; row < geometry.TextRows; ++row) {
      calls.push_back({CallKind::Address, [row](Driver& d) { d.SetOutputAddress(0, row); }});
      for (int32_t column = 0; column < geometry.TextColumns; ++column) {
        const uint8_t code = cells_[static_cast<std::size_t>(row * 14 + column)];
        calls.push_back({CallKind::Text, [code](Driver& d) { d.SendToMemory(code); }});
      }
    }
    return calls;
  }
  std::vector<HostCall> stray() {
    const int32_t column = pick(-1, 15);
    const int32_t row = pick(-1, 7);
    std::vector<HostCall> calls{
        {CallKind::Address, [=](Driver& d) { d.SetOutputAddress(column, row); }}};
    for (int n = pick(1, 3); n > 0; --n) {
      calls.push_back({CallKind::Text, [](Driver& d) { d.SendToMemory('S'); }});
    }
    return calls;
  }
  std::vector<HostCall> graphics(const DriverSettings& geometry) {
    const int width = geometry.GraphicsWidth;
    const int x1 = pick(0, width - 1);
    const int x2 = std::min(width - 1, x1 + pick(0, 20));
    const int y1 = pick(0, 47);
    const int y2 = std::min(47, y1 + pick(0, 12));
    for (int n = pick(1, 6); n > 0; --n) {
      bitmap_[static_cast<std::size_t>(pick(x1, x2) + pick(y1, y2) * width)] ^= 1;
    }
    if (pick(0, 4) == 0) inverted_ = !inverted_;
    HostCall call{CallKind::Graphics,
                  [bitmap = bitmap_, x1, y1, x2, y2, inv = inverted_](Driver& d) {
                    d.SendToGfxMemory(bitmap.data(), uint16_t(x1), uint16_t(y1), uint16_t(x2),
                                      uint16_t(y2), inv);
                  }};
    call.inverted = inverted_;
    return {call};
  }
  std::vector<HostCall> glyph() {
    CustomGlyphBlock block{};
    block[0] = static_cast<uint8_t>(pick(0, 1));
    for (std::size_t i = 1; i < 49; ++i) block[i] = static_cast<uint8_t>(pick(0, 1));
    return {{CallKind::Glyph, [block](Driver& d) { d.SetCGRAMChar(block); }}};
  }
  std::vector<HostCall> picture() {
    // Mostly a few bytes change; now and then all of them.
    const bool everything = pick(0, 5) == 0;
    for (int n = everything ? 504 : pick(1, 8); n > 0; --n) {
      picture_[static_cast<std::size_t>(everything ? n - 1 : pick(0, 503))] =
          static_cast<uint8_t>(pick(0, 255));
    }
    return {{CallKind::Picture, [frame = picture_](Driver& d) { d.showFrame(frame); }}};
  }

  std::mt19937 rng_;
  std::array<uint8_t, 84> cells_{};
  std::array<uint8_t, 84 * 48> bitmap_{};
  FrameMemory::Layer picture_{};
  bool inverted_ = false;
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
