// A port failure at any operation of a session that sends only what changed, on a module
// whose serial input counts clock edges as the real one does (a lost edge shifts every later
// frame until a reset): every call still returns, and by the end of the next call that sends
// anything the glass shows what it shows when nothing fails.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "panel/VirtualPanel.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/FaultSession.h"
#include "support/DriverRig.h"
#include "support/QuietPlatform.h"

namespace om6211::reliability {
namespace {

// The virtual panel behind a port that fails one chosen operation.
class FailingPanelPort final : public PortIo {
 public:
  void failAt(uint64_t operation) { failing_ = operation; }

  void write(uint32_t port, uint8_t value) override {
    count();
    panel.write(port, value);
  }
  uint8_t read(uint32_t port) override {
    count();
    return panel.read(port);
  }
  uint64_t operations() const { return operations_; }

  panel::VirtualPanel panel;

 private:
  void count() {
    if (operations_++ == failing_) throw PortFailure("injected port failure");
  }

  uint64_t failing_ = UINT64_MAX;
  uint64_t operations_ = 0;
};

struct Call {
  std::function<void(Driver&)> apply;
  // Configuration, initialisation and clean-up send the same in both modes: the sweep of the
  // full mode fails their every operation.
  bool swept = true;
};

std::vector<Call> changedModeSession() {
  std::vector<Call> calls{
      // 40 pixel rows: the first initialisation lights all pixels instead of the start-up
      // picture. A bus delay of 1: failing delay reads, the one after each clock edge among them.
      {[](Driver& d) {
         d.SetIOPropertys("378", {.busDelay = 1, .graphicsHeight = 40, .backlight = true});
       },
       false},
      {[](Driver& d) { d.Init(); }, false},
  };
  auto screen = [&](std::string_view changes) {
    for (int32_t row = 0; row < 6; ++row) {
      calls.push_back({[row](Driver& d) { d.SetOutputAddress(0, row); }});
      for (int32_t column = 0; column < 14; ++column) {
        const char code =
            row == 2 && column < static_cast<int32_t>(changes.size()) ? changes[column] : 'a' + row;
        calls.push_back({[code](Driver& d) { d.SendToMemory(static_cast<uint8_t>(code)); }});
      }
    }
  };
  auto graphic = [&](uint16_t x, bool inverted) {
    calls.push_back({[x, inverted](Driver& d) {
      std::array<uint8_t, 84 * 48> bitmap{};
      for (std::size_t i = x; i < bitmap.size(); i += 85) bitmap[i] = 1;
      d.SendToGfxMemory(bitmap.data(), x, 0, x + 9, 47, inverted);
    }});
  };
  screen("");
  screen("");              // unchanged
  screen("  12:00:01  ");  // a few cells
  graphic(20, true);
  calls.push_back({[](Driver& d) {
    FrameMemory::Layer picture{};
    for (std::size_t i = 0; i < picture.size(); i += 7) picture[i] = 0x5A;
    d.showFrame(picture);
  }});
  screen("  12:00:02  ");
  graphic(40, false);
  calls.push_back({[](Driver& d) { d.CleanUp(); }, false});
  screen("  12:00:03  ");
  return calls;
}

constexpr const char* ChangedModeSettings = "[init]\nRefreshMode=Changed\nFullRefreshEvery=4\n";

// A driver on a failing panel port; copies carry the driver's and the module's state.
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

  FailingPanelPort port;
  SilentPauses pauses;
  testing::InMemorySettings settings;
  testing::FixedHostFolder folder;
  Driver driver{Platform{}};
};

bool sameGlass(const panel::Glass& a, const panel::Glass& b) {
  return a.dark == b.dark && a.backlight == b.backlight && a.darkness == b.darkness;
}

TEST(ChangedRefreshFaults, EveryOperationFailingInTurnHealsByTheNextCallThatSends) {
  const std::vector<Call> session = changedModeSession();
  // Where every call starts, how many port operations it makes and what the glass shows after.
  std::vector<Rig> before;
  std::vector<uint64_t> operations;
  std::vector<panel::Glass> glassAfter;
  std::vector<DriverSnapshot> stateAfter;
  Rig reference(ChangedModeSettings);
  for (const Call& call : session) {
    before.push_back(reference);
    const uint64_t start = reference.port.operations();
    reference.run(call);
    operations.push_back(reference.port.operations() - start);
    glassAfter.push_back(reference.port.panel.glass());
    stateAfter.push_back(DriverSnapshot::of(reference.driver));
  }

  uint64_t faults = 0;
  int problems = 0;
  for (std::size_t index = 0; index < session.size() && problems < 5; ++index) {
    if (!session[index].swept) continue;
    for (uint64_t failing = 0; failing < operations[index] && problems < 5;
         failing += faultSweepStride()) {
      Rig rig(before[index]);
      rig.port.failAt(rig.port.operations() + failing);
      rig.run(session[index]);
      ++faults;
      const bool stateAsInSession = sameState(DriverSnapshot::of(rig.driver), stateAfter[index]);
      for (std::size_t next = index + 1; next < session.size(); ++next) {
        const uint64_t start = rig.port.operations();
        rig.run(session[next]);
        if (rig.port.operations() == start && operations[next] == 0) continue;
        const char* wrong = nullptr;
        if (!sameGlass(rig.port.panel.glass(), glassAfter[next])) {
          wrong = "the glass";
        } else if (stateAsInSession &&
                   !sameState(DriverSnapshot::of(rig.driver), stateAfter[next])) {
          wrong = "the driver's state";
        }
        if (wrong != nullptr) {
          ADD_FAILURE() << "call " << index << ", operation " << failing << " failing: " << wrong
                        << " after call " << next << " is not what it is when nothing fails";
          ++problems;
        }
        break;
      }
    }
  }
  std::cout << "[ faults   ] " << faults << " port failures injected\n";
  RecordProperty("faults_injected", std::to_string(faults));
}

}  // namespace
}  // namespace om6211::reliability
