// The board back ends decoded back into the module: line levels through the module's pins and
// SPI bits clocked into them, on a fake board, must show on the glass what the virtual panel
// shows, after every call of generated host sessions in both refresh modes; with failing
// ioctls, by the end of the next call that sends anything.
#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <random>

#include "host/PortFactory.h"
#include "panel/VirtualPanel.h"
#include "ports/linux/SpidevBus.h"
#include "support/DriverRig.h"
#include "support/FakeBoard.h"
#include "support/HostGenerator.h"
#include "support/QuietPlatform.h"

namespace om6211::testing {
namespace {

using Pin = FakeBoard::Pin;

struct BackEnd {
  const char* name;  // of the test
  const char* selection;
  bool nineBits;  // whether the SPI controller takes 9-bit words
  // The ioctls that send, each with how many of them go by between two failures at most.
  std::vector<std::pair<std::string, int>> failingCalls;
};

void PrintTo(const BackEnd& backEnd, std::ostream* out) {
  *out << backEnd.selection << (backEnd.nineBits ? "" : " (8-bit words)");
}

// A driver on the fake board's back end, wired as the selections below name the lines.
struct BoardRig {
  explicit BoardRig(const BackEnd& backEnd, const std::string& settingsFile) {
    settings.present = true;
    settings.contents = settingsFile;
    board.spiTakesNineBits = backEnd.nineBits;
    board.wire("/dev/gpiochip0", 10, Pin::Data);
    board.wire("/dev/gpiochip0", 11, Pin::Clock);
    board.wire("/dev/gpiochip0", 25, Pin::Reset);
    board.wire("/dev/gpiochip0", 18, Pin::Backlight);
    board.wire("/dev/gpiochip0", 8, Pin::ChipSelect);
    board.wire("/dev/gpiochip1", 3, Pin::Backlight);
    hardware = openHardware(parsePortSelection(backEnd.selection), 0x378, board);
    driver.emplace(Platform{hardware.port.get(), &pauses, &settings, &folder, hardware.bus.get()});
  }

  // As the exported entry points do, the failures a call lets out are absorbed.
  void run(const HostCall& call) {
    try {
      call.apply(*driver);
    } catch (const PortFailure&) {
    }
  }
  uint64_t failures() const { return hardware.get()->failureCount(); }

  FakeBoard board;
  OpenedHardware hardware;
  SilentPauses pauses;
  InMemorySettings settings;
  FixedHostFolder folder;
  std::optional<Driver> driver;
};

struct PanelRig {
  explicit PanelRig(const std::string& settingsFile) {
    settings.present = true;
    settings.contents = settingsFile;
  }
  panel::VirtualPanel panel;
  SilentPauses pauses;
  InMemorySettings settings;
  FixedHostFolder folder;
  Driver driver{Platform{&panel, &pauses, &settings, &folder}};
};

bool sameGlass(const panel::Glass& a, const panel::Glass& b) {
  return a.dark == b.dark && a.backlight == b.backlight && a.darkness == b.darkness;
}

// The settings file of a generated configuration, in the full or the changed mode.
std::string settingsFor(const HostCall& configure, bool changedMode) {
  const std::string& file = configure.settingsFile;
  return changedMode ? file : file.substr(0, file.find("\nRefresh"));
}

class BoardGlass : public ::testing::TestWithParam<BackEnd> {};

// Without failures: the same glass after every call, reconfigurations with any geometry
// included; every transfer whole and within the device's buffer. Opening clocks nothing in,
// and no call leaves a frame unfinished: no stray clock edge outside reset.
TEST_P(BoardGlass, ShowsWhatTheVirtualPanelShows) {
  for (uint32_t seed = 1; seed <= 12 && !HasFailure(); ++seed) {
    HostGenerator host(seed);
    const bool changedMode = seed % 2 == 0;
    std::vector<HostCall> calls{host.configure(), {CallKind::Init, [](Driver& d) { d.Init(); }}};
    const std::string file = settingsFor(calls.front(), changedMode);
    PanelRig reference(file);
    BoardRig rig(GetParam(), file);
    ASSERT_EQ(rig.board.module.clockEdges(), 0u) << "a clock edge outside reset at opening";
    for (int step = 0; step <= 25 && !HasFailure(); ++step) {
      for (const HostCall& call : calls) {
        if (call.kind == CallKind::Configure) {
          reference.settings.contents = rig.settings.contents = settingsFor(call, changedMode);
        }
        call.apply(reference.driver);
        rig.run(call);
        ASSERT_TRUE(sameGlass(rig.board.module.glass(), reference.panel.glass()))
            << "seed " << seed << ", step " << step;
        ASSERT_EQ(rig.board.module.pendingBits(), 0) << "seed " << seed << ", step " << step;
      }
      calls = host.next(reference.driver.settings());
    }
    EXPECT_EQ(rig.failures(), 0u);
    for (const FakeBoard::Transfer& transfer : rig.board.transfers) {
      EXPECT_LE(transfer.bytes, SpidevBus::TransferBytes);
      EXPECT_EQ(transfer.bytes % (GetParam().nineBits ? 2 : 9), 0u) << "a frame cut short";
      EXPECT_EQ(transfer.bitsPerWord, GetParam().nineBits ? 9 : 8);
      EXPECT_EQ(transfer.speedHz, 4'000'000u);
    }
    EXPECT_EQ(rig.board.module.pendingBits(), 0);
  }
}

// Failing sending ioctls now and then: every call returns, and the glass is what the virtual
// panel shows by the end of the next call that sends anything. The geometry stays whole: a
// resync redraws the configured region only.
TEST_P(BoardGlass, HealsByTheNextCallThatSends) {
  uint64_t faults = 0;
  for (uint32_t seed = 1; seed <= 16 && !HasFailure(); ++seed) {
    HostGenerator host(seed);
    std::mt19937 rng(seed);
    const bool changedMode = seed % 2 == 1;
    HostCall configure = host.configure();
    const bool backlight = seed % 3 == 0;
    configure.apply = [backlight](Driver& d) {
      d.SetIOPropertys("378", {.backlight = backlight, .contrastOn = true, .contrastValue = 0x90});
    };
    const std::string file = settingsFor(configure, changedMode);
    PanelRig reference(file);
    BoardRig rig(GetParam(), file);
    // One failure at a time, as the sweeps judge them: the next is armed once the glass has
    // healed from the last.
    bool armed = false;
    auto arm = [&] {
      const auto& calls = GetParam().failingCalls;
      const auto& [call, spread] =
          calls[std::uniform_int_distribution<std::size_t>(0, calls.size() - 1)(rng)];
      rig.board.failCall(call, EIO,
                         static_cast<int>(rig.board.calls[call]) +
                             std::uniform_int_distribution<int>(1, spread)(rng));
      armed = true;
    };
    std::vector<HostCall> calls{configure, {CallKind::Init, [](Driver& d) { d.Init(); }}};
    bool healing = false;
    for (int step = 0; step <= 25 && !HasFailure(); ++step) {
      for (const HostCall& call : calls) {
        if (!armed && !healing) arm();
        const uint64_t framesBefore = reference.panel.frameCount();
        const uint64_t failuresBefore = rig.failures();
        call.apply(reference.driver);
        rig.run(call);
        if (rig.failures() != failuresBefore) {
          faults += rig.failures() - failuresBefore;
          healing = true;
          armed = false;
          continue;
        }
        if (healing && reference.panel.frameCount() == framesBefore) continue;
        healing = false;
        ASSERT_TRUE(sameGlass(rig.board.module.glass(), reference.panel.glass()))
            << "seed " << seed << ", step " << step;
      }
      std::vector<HostCall> next = host.next(reference.driver.settings());
      std::erase_if(next, [](const HostCall& c) { return c.kind == CallKind::Configure; });
      calls = next;
    }
  }
  std::cout << "[ faults   ] " << faults << " failing ioctls healed\n";
  EXPECT_GT(faults, 20u);
}

INSTANTIATE_TEST_SUITE_P(
    BackEnds, BoardGlass,
    ::testing::Values(BackEnd{"Gpio",
                              "gpio:gpiochip0:clk=11,din=10,res=25,light=18,cs=8",
                              true,
                              {{"GPIO_V2_LINE_SET_VALUES_IOCTL", 4000}}},
                      BackEnd{"SpiNineBitWords",
                              "spi:/dev/spidev0.0:res=gpiochip0/25,light=raspberrypi-exp-gpio/3",
                              true,
                              {{"SPI_IOC_MESSAGE", 8}, {"GPIO_V2_LINE_SET_VALUES_IOCTL", 4}}},
                      BackEnd{"SpiPackedFrames",
                              "spi:/dev/spidev0.0:res=gpiochip0/25,light=raspberrypi-exp-gpio/3",
                              false,
                              {{"SPI_IOC_MESSAGE", 8}, {"GPIO_V2_LINE_SET_VALUES_IOCTL", 4}}}),
    [](const ::testing::TestParamInfo<BackEnd>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace om6211::testing
