// A port failure at any operation of a session that sends only what changed: every call still
// returns, and by the next refresh the display again holds what the full refresh would show,
// because the failure made the driver forget what the controller holds.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "panel/PanelController.h"
#include "support/DriverRig.h"
#include "support/QuietPlatform.h"

namespace om6211::reliability {
namespace {

// A module whose serial input starts afresh with every frame, fed by a port that fails one
// chosen operation. On the real wiring a bit lost to a failure shifts every later frame until
// the next reset; here the frame cut short is dropped when the next one starts, so that what
// is judged is what the driver resends, not the alignment of the link.
class FramedPanelPort final : public PortIo {
 public:
  void failAt(uint64_t operation) { failing_ = operation; }

  void write(uint32_t port, uint8_t value) override {
    count();
    if (port == 0x378) {
      bits_ = 0;
      shift_ = 0;
      if ((value & 0x02) == 0) controller.reset();
    } else if (port == 0x37A) {
      const bool clockRises = (lastControl_ & 0x02) != 0 && (value & 0x02) == 0;
      lastControl_ = value;
      if (!clockRises) return;
      shift_ = static_cast<uint16_t>(shift_ << 1 | ((value & 0x01) == 0 ? 1 : 0));
      if (++bits_ == 9) {
        controller.receive((shift_ & 0x100) != 0, static_cast<uint8_t>(shift_));
        bits_ = 0;
        shift_ = 0;
      }
    }
  }
  uint8_t read(uint32_t) override {
    count();
    return 0xFF;
  }
  uint64_t operations() const { return operations_; }

  panel::PanelController controller;

 private:
  void count() {
    if (operations_++ == failing_) throw PortFailure("injected port failure");
  }

  uint64_t failing_ = UINT64_MAX;
  uint64_t operations_ = 0;
  uint8_t lastControl_ = 0;
  int bits_ = 0;
  uint16_t shift_ = 0;
};

struct Call {
  std::function<void(Driver&)> apply;
  bool refreshes = false;  // a text screen completed, a graphics upload or a composed picture
  bool setsMode = false;   // a graphics upload
};

std::vector<Call> changedModeSession() {
  std::vector<Call> calls{
      // 40 pixel rows: the first initialisation lights all pixels instead of the start-up
      // picture, which keeps the sweep short.
      {[](Driver& d) { d.SetIOPropertys("378", {.graphicsHeight = 40, .backlight = true}); }},
      {[](Driver& d) { d.Init(); }},
  };
  auto screen = [&](std::string_view changes) {
    for (int32_t row = 0; row < 6; ++row) {
      calls.push_back({[row](Driver& d) { d.SetOutputAddress(0, row); }});
      for (int32_t column = 0; column < 14; ++column) {
        const char code =
            row == 2 && column < static_cast<int32_t>(changes.size()) ? changes[column] : 'a' + row;
        calls.push_back({[code](Driver& d) { d.SendToMemory(static_cast<uint8_t>(code)); },
                         row == 5 && column == 13});
      }
    }
  };
  auto graphic = [&](uint16_t x, bool inverted) {
    calls.push_back({[x, inverted](Driver& d) {
                       std::array<uint8_t, 84 * 48> bitmap{};
                       for (std::size_t i = x; i < bitmap.size(); i += 85) bitmap[i] = 1;
                       d.SendToGfxMemory(bitmap.data(), x, 0, x + 9, 47, inverted);
                     },
                     true, true});
  };
  screen("");
  screen("");              // unchanged
  screen("  12:00:01  ");  // a few cells
  graphic(20, true);
  calls.push_back({[](Driver& d) {
                     FrameMemory::Layer picture{};
                     for (std::size_t i = 0; i < picture.size(); i += 7) picture[i] = 0x5A;
                     d.showFrame(picture);
                   },
                   true});
  screen("  12:00:02  ");
  graphic(40, false);
  calls.push_back({[](Driver& d) { d.CleanUp(); }});
  screen("  12:00:03  ");
  return calls;
}

constexpr const char* ChangedModeSettings = "[init]\nRefreshMode=Changed\nFullRefreshEvery=4\n";

// A driver on a framed panel; copies carry the driver's and the module's state.
struct Rig {
  explicit Rig(const char* settingsFile) {
    settings.present = true;
    settings.contents = settingsFile;
    driver.usePlatform({&port, &pauses, &settings, &folder});
  }
  Rig(const Rig& other) : port(other.port), settings(other.settings), driver(other.driver) {
    driver.usePlatform({&port, &pauses, &settings, &folder});
  }

  // As the exported entry points do, the failures a call lets out are absorbed.
  void run(const Call& call) {
    try {
      call.apply(driver);
    } catch (const PortFailure&) {
    }
  }

  FramedPanelPort port;
  SilentPauses pauses;
  testing::InMemorySettings settings;
  testing::FixedHostFolder folder;
  Driver driver{Platform{}};
};

// What the display shows of the refreshed region and its display mode.
struct Shown {
  std::array<uint8_t, 504> region{};
  bool inverted = false;

  static Shown of(const Rig& rig) {
    Shown shown;
    const DriverSettings& geometry = rig.driver.settings();
    for (int page = 0; page < geometry.TextRows; ++page) {
      for (int column = 0; column < geometry.GraphicsWidth; ++column) {
        const auto index = static_cast<std::size_t>(page * 84 + column);
        shown.region[index] = rig.port.controller.ram()[index];
      }
    }
    shown.inverted = rig.port.controller.inverted();
    return shown;
  }
};

TEST(ChangedRefreshFaults, EveryOperationFailingInTurnHealsByTheNextRefresh) {
  const std::vector<Call> session = changedModeSession();
  // Where every call starts, and how many port operations it makes.
  std::vector<Rig> before;
  std::vector<uint64_t> operations;
  Rig changed(ChangedModeSettings);
  for (const Call& call : session) {
    before.push_back(changed);
    const uint64_t start = changed.port.operations();
    changed.run(call);
    operations.push_back(changed.port.operations() - start);
  }

  uint64_t faults = 0;
  int problems = 0;
  for (std::size_t index = 0; index < session.size() && problems < 5; ++index) {
    std::size_t next = index + 1;
    while (next < session.size() && !session[next].refreshes) ++next;
    if (next == session.size()) continue;
    for (uint64_t failing = 0; failing < operations[index] && problems < 5; ++failing) {
      ++faults;
      Rig rig(before[index]);
      rig.port.failAt(rig.port.operations() + failing);
      for (std::size_t i = index; i < next; ++i) rig.run(session[i]);
      // The full mode from the very same state: what the failure lost of the host's data is
      // lost in both modes alike.
      Rig fullMode(rig);
      fullMode.driver.setRefreshPolicy({});
      rig.run(session[next]);
      fullMode.run(session[next]);
      const Shown shown = Shown::of(rig);
      const Shown wanted = Shown::of(fullMode);
      const bool healed = shown.region == wanted.region &&
                          (!session[next].setsMode || shown.inverted == wanted.inverted);
      if (!healed) {
        ADD_FAILURE() << "call " << index << ", operation " << failing << " failing: call " << next
                      << " did not show what the full refresh shows";
        ++problems;
      }
    }
  }
  std::cout << "[ faults   ] " << faults << " port failures injected\n";
  RecordProperty("faults_injected", std::to_string(faults));
}

}  // namespace
}  // namespace om6211::reliability
