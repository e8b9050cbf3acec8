// A display whose device goes away and comes back, over every back end that can lose its
// device, on the fakes that can unplug it: LCDd-like flushes eight times a second on a clock of
// the test's own. By the end of the first flush that reopens the device the glass is what a
// virtual panel shows for the same calls; a person reads one line when the device goes, one
// when it is back and one a minute between; the driver's own report repeats none of them; and
// the device is reopened at most once a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "host/Reconnector.h"
#include "panel/VirtualPanel.h"
#include "ports/ftdi/FtdiConnection.h"
#include "support/DriverRig.h"
#include "support/FakeBoard.h"
#include "support/FakeFtdi.h"
#include "support/FtdiPinDecoder.h"
#include "support/QuietPlatform.h"

namespace om6211::testing {
namespace {

using namespace std::chrono_literals;
using Pin = FakeBoard::Pin;
using Mode = FtdiConfig::Mode;

struct BackEnd {
  const char* name;
  const char* selection;  // on the fake board; none for the FTDI adapter
  const char* device;     // what is unplugged
  const char* sendingCall;
  std::optional<Mode> ftdi = std::nullopt;
};

const BackEnd BackEnds[] = {
    {"Gpio", "gpio:gpiochip0:clk=11,din=10,res=25,light=18", "/dev/gpiochip0",
     "GPIO_V2_LINE_SET_VALUES_IOCTL"},
    {"Spi", "spi:/dev/spidev0.0:res=gpiochip1/3,light=gpiochip0/18", "/dev/spidev0.0",
     "SPI_IOC_MESSAGE"},
    {"FtdiBitbang", nullptr, nullptr, "write", Mode::Bitbang},
    {"FtdiMpsse", nullptr, nullptr, "write", Mode::Mpsse},
};

// What the driver's own failure report let through, of all rigs.
std::vector<std::string> untold;
const Reconnector* reporting = nullptr;
void report(const char* message) noexcept {
  if (reporting == nullptr || !reporting->told(message)) untold.emplace_back(message);
}

struct Rig {
  explicit Rig(const BackEnd& backEnd) : backEnd(backEnd) {
    board.wire("/dev/gpiochip0", 10, Pin::Data);
    board.wire("/dev/gpiochip0", 11, Pin::Clock);
    board.wire("/dev/gpiochip0", 25, Pin::Reset);
    board.wire("/dev/gpiochip0", 18, Pin::Backlight);
    board.wire("/dev/gpiochip1", 3, Pin::Reset);
    fake.onMode = [this](uint8_t outputs, FtdiBitmode mode) { decoder.setMode(outputs, mode); };
    fake.onBytes = [this](std::span<const uint8_t> bytes) { decoder.take(bytes); };
    fake.onReplug = [this] { decoder.powerCycle(); };
    reconnector.emplace(
        open(), [this] { return open(); },
        [this](const std::string& line) { lines.push_back(line); }, [this] { return now; });
    driver.emplace(Platform{reconnector->port(), &pauses, &settings, &folder, reconnector->bus()},
                   report);
    reporting = &*reconnector;
    untold.clear();
  }
  ~Rig() { reporting = nullptr; }

  OpenedHardware open() {
    ++opens;
    if (!backEnd.ftdi) return openHardware(parsePortSelection(backEnd.selection), 0x378, board);
    FtdiConnection connection = openFtdi(FtdiConfig{.mode = *backEnd.ftdi}, 0x378, fake);
    return {.port = std::move(connection.port), .bus = std::move(connection.bus)};
  }
  panel::Glass glass() const { return backEnd.ftdi ? panel.glass() : board.module.glass(); }
  void unplug() {
    if (backEnd.ftdi) return fake.unplug();
    board.unplug(backEnd.device);
  }
  void replug() {
    if (backEnd.ftdi) return fake.replug();
    board.replug(backEnd.device);
  }
  // Unplugs the device during the next call that sends.
  void unplugDuringNextSend() {
    if (backEnd.ftdi) return fake.unplugAtWrite(fake.callCount("write") + 1);
    board.unplugAt(backEnd.device, backEnd.sendingCall,
                   static_cast<int>(board.calls[backEnd.sendingCall]) + 1);
  }
  std::size_t linesWith(const std::string& phrase) const {
    std::size_t count = 0;
    for (const std::string& line : lines) count += line.find(phrase) != std::string::npos;
    return count;
  }

  BackEnd backEnd;
  FakeBoard board;
  FakeFtdi fake;
  panel::VirtualPanel panel;
  FtdiPinDecoder decoder{panel, FtdiPins{}};
  Reconnector::Clock::time_point now{1000s};
  std::vector<std::string> lines;
  int opens = 0;
  std::optional<Reconnector> reconnector;
  SilentPauses pauses;
  NoSettings settings;
  FixedHostFolder folder;
  std::optional<Driver> driver;
};

struct Reference {
  panel::VirtualPanel panel;
  SilentPauses pauses;
  NoSettings settings;
  FixedHostFolder folder;
  Driver driver{Platform{&panel, &pauses, &settings, &folder}};
};

bool sameGlass(const panel::Glass& a, const panel::Glass& b) {
  return a.dark == b.dark && a.backlight == b.backlight && a.darkness == b.darkness;
}

// How the device goes and comes back, in flushes of 125 ms.
struct Absence {
  const char* name;
  int goneAt;    // the flush before which (or during which) the device goes
  int backAt;    // the flush before which it is plugged in again
  bool midCall;  // unplugged during the flush's transfer rather than between flushes
};

class Replug : public ::testing::TestWithParam<BackEnd> {};

TEST_P(Replug, GlassIsBackByTheFirstFlushThatReopensWithALineEachWay) {
  const Absence absences[] = {
      {"between calls, back at once", 4, 5, false},
      {"in the middle of a call", 4, 12, true},
      {"away for 40 flushes", 6, 46, false},
      {"away for over a minute", 3, 3 + 8 * 75, true},
  };
  for (const Absence& absence : absences) {
    SCOPED_TRACE(absence.name);
    Rig rig(GetParam());
    Reference reference;
    std::mt19937 rng(static_cast<uint32_t>(absence.backAt));
    FrameMemory::Layer picture{};
    auto both = [&](auto&& call) {
      call(reference.driver);
      try {
        call(*rig.driver);
      } catch (const PortFailure&) {
        // as at an entry point: the call fails, the face goes on
      }
    };
    both([](Driver& d) { d.SetIOPropertys("378", {.backlight = true, .contrastOn = true}); });
    both([](Driver& d) { d.setRefreshPolicy({RefreshMode::Changed, 0}); });
    both([](Driver& d) { d.Init(); });
    both([](Driver& d) { d.setContrast(0xA8); });  // must survive the reopening
    int reopenedAt = -1;
    const int flushes = absence.backAt + 12;
    for (int flush = 0; flush < flushes && !HasFailure(); ++flush) {
      if (flush == absence.goneAt) {
        if (absence.midCall) {
          rig.unplugDuringNextSend();
        } else {
          rig.unplug();
        }
      }
      if (flush == absence.backAt) rig.replug();
      // Every other flush changes the picture: a flush with nothing new reopens all the same.
      if (flush % 2 == 0) picture[std::uniform_int_distribution<std::size_t>(0, 503)(rng)] ^= 0x5A;
      const bool wasAway = rig.reconnector->away();
      both([&](Driver& d) { d.showFrame(picture); });
      if (wasAway && !rig.reconnector->away()) reopenedAt = flush;
      if (!rig.reconnector->away() && flush >= absence.backAt) {
        ASSERT_TRUE(sameGlass(rig.glass(), reference.panel.glass())) << "flush " << flush;
      }
      rig.now += 125ms;
    }
    ASSERT_GE(reopenedAt, absence.backAt);
    EXPECT_LE(reopenedAt, absence.backAt + 8) << "reopened more than a second after the replug";
    const auto away = (reopenedAt - absence.goneAt) * 125ms;
    EXPECT_LE(rig.opens - 1, away / 1s + 1) << "more than one attempt a second";
    EXPECT_EQ(rig.linesWith("is closed and reopened once a second"), 1u);
    EXPECT_EQ(rig.linesWith(" is back after "), 1u);
    EXPECT_EQ(rig.linesWith(" is still away after "), static_cast<std::size_t>(away / 60s));
    EXPECT_EQ(rig.lines.size(), 2 + static_cast<std::size_t>(away / 60s));
    EXPECT_TRUE(untold.empty()) << untold.front();
    EXPECT_TRUE(rig.decoder.problems.empty()) << rig.decoder.problems.front();
  }
}

INSTANTIATE_TEST_SUITE_P(BackEnds, Replug, ::testing::ValuesIn(BackEnds),
                         [](const ::testing::TestParamInfo<BackEnd>& info) {
                           return std::string(info.param.name);
                         });

// An adapter whose transfer failed once is reopened with the next flush, which heals the
// glass: a moment without an answer costs no second without a display.
TEST(Reconnector, AnAdapterThatStoppedAnsweringForAMomentIsBackWithTheNextFlush) {
  for (const BackEnd& backEnd : BackEnds) {
    if (!backEnd.ftdi) continue;
    SCOPED_TRACE(backEnd.name);
    Rig rig(backEnd);
    Reference reference;
    FrameMemory::Layer picture{};
    for (Driver* driver : {&*rig.driver, &reference.driver}) {
      driver->SetIOPropertys("378", {.contrastOn = true, .contrastValue = 0x90});
      driver->Init();
      driver->showFrame(picture);
    }
    rig.fake.failCall("write", rig.fake.callCount("write") + 1, -1, "usb bulk write failed", 7);
    picture[100] = 0xFF;
    rig.driver->showFrame(picture);
    rig.now += 125ms;
    rig.driver->showFrame(picture);
    reference.driver.showFrame(picture);
    EXPECT_FALSE(rig.reconnector->away());
    EXPECT_EQ(rig.opens, 2);
    EXPECT_TRUE(sameGlass(rig.glass(), reference.panel.glass()));
    EXPECT_EQ(rig.lines.size(), 2u);
  }
}

// A failure that does not mean the device went away leaves it open: the driver heals as before.
TEST(Reconnector, KeepsADeviceWhoseFailureIsNotALoss) {
  Rig rig(*std::find_if(std::begin(BackEnds), std::end(BackEnds),
                        [](const BackEnd& b) { return std::string(b.name) == "Spi"; }));
  rig.board.failCall("SPI_IOC_MESSAGE", EMSGSIZE, 1);
  EXPECT_THROW(rig.driver->Init(), PortFailure);
  EXPECT_FALSE(rig.reconnector->away());
  EXPECT_TRUE(rig.lines.empty());
  EXPECT_EQ(rig.opens, 1);
}

}  // namespace
}  // namespace om6211::testing
