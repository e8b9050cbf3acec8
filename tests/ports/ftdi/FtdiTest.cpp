// The FTDI back ends on a fake adapter: every way opening can fail, the modes each chip gets,
// and generated host sessions whose bytes, decoded at the pins, put on a virtual panel exactly
// the glass the driver puts on one directly, USB failures included.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "host/FtdiSelection.h"
#include "ports/ftdi/FtdiConnection.h"
#include "ports/ftdi/FtdiErrors.h"
#include "support/DriverRig.h"
#include "support/FakeFtdi.h"
#include "support/FtdiPinDecoder.h"
#include "support/QuietPlatform.h"

namespace om6211::testing {
namespace {

using Mode = FtdiConfig::Mode;

// Every way opening can fail: the message names the problem, carries libftdi's own text and
// the fix, and whatever was opened before the failure is closed.
TEST(FtdiOpening, FailuresNameTheFixAndLeaveNothingOpen) {
  struct Case {
    const char* selection;
    FtdiChip chip;
    const char* failing;  // the libftdi call that fails, with `code` and `message`
    int code;
    const char* message;
    std::vector<const char*> phrases;
    bool plugged = true;  // the fake lists its one device
    int reported = 0;     // the errno value the error carries; 0: not checked
  };
  const Case cases[] = {
      {"",
       FtdiChip::Ft232h,
       nullptr,
       0,
       "",
       {"ftdi: no FTDI device found (ftdi_usb_find_all: 0 devices)", "devices found: none",
        "lsusb"},
       false,
       ENODEV},
      {"",
       FtdiChip::Ft232h,
       "ftdi_usb_find_all",
       -3,
       "out of memory",
       {"ftdi: cannot be opened (ftdi_usb_find_all: out of memory)"},
       true,
       EIO},
      {"i:0x0403:0x6001",
       FtdiChip::R,
       "ftdi_usb_open_string",
       -3,
       "device not found",
       {"ftdi:i:0x0403:0x6001: no such FTDI device (ftdi_usb_open_string: device not found)",
        "i:0x0403:0x6014 at d:1/7 \"FTDI Single RS232-HS\" serial \"FT7ABC\"", "Name one"}},
      {"s:0x0403:0x6014:FT7ABD",
       FtdiChip::R,
       "ftdi_usb_open_string",
       -3,
       "device not found",
       {"no such FTDI device", "devices found: none", "lsusb", "#ftdi-not-found."},
       false,
       ENODEV},
      {"",
       FtdiChip::R,
       "ftdi_usb_open_string",
       -4,
       "usb_open() failed",
       {"ftdi:d:1/7: the USB device cannot be opened, usually for want of permission",
        "usb_open() failed", "/usr/lib/udev/rules.d/60-om6211-ftdi.rules", "#permission-ftdi."},
       true,
       EACCES},
      {"d:1/7",
       FtdiChip::R,
       "ftdi_usb_open_string",
       -8,
       "inappropriate permissions on device!",
       {"permission denied (ftdi_usb_open_string: inappropriate permissions", "udev rule"}},
      {"d:1/7",
       FtdiChip::R,
       "ftdi_usb_open_string",
       -5,
       "unable to claim usb device. Make sure the default FTDI driver is not in use",
       {"interface A is held by another driver", "Make sure the default FTDI driver",
        "rmmod ftdi_sio"},
       true,
       EBUSY},
      {"d:1/7:mode=mpsse",
       FtdiChip::R,
       nullptr,
       0,
       "",
       {"the FT232R has no MPSSE", "mode=bitbang", "#ftdi-no-mpsse."},
       true,
       ENOTSUP},
      {"d:1/7", FtdiChip::Bm, nullptr, 0, "", {"the FT232BM has no synchronous bit-bang"}},
      {"d:1/7",
       FtdiChip::R,
       "ftdi_set_bitmode",
       -1,
       "can't set bitbang mode",
       {"ftdi:d:1/7: cannot be opened (ftdi_set_bitmode: can't set bitbang mode)"}},
      {"d:1/7",
       FtdiChip::Ft232h,
       "write",
       -1,
       "usb bulk write failed",
       {"cannot be opened (ftdi_write_data: usb bulk write failed)"}},
  };
  for (const Case& c : cases) {
    FakeFtdi fake;
    fake.chip = c.chip;
    if (!c.plugged) fake.devices.clear();
    if (c.failing != nullptr) fake.failCall(c.failing, 1, c.code, c.message);
    try {
      openFtdi(parseFtdiSelection(c.selection), 0x378, fake);
      ADD_FAILURE() << c.selection << " opened";
    } catch (const PortOpenError& error) {
      if (c.reported != 0) {
        EXPECT_EQ(error.error(), c.reported) << error.what();
      }
      for (const char* phrase : c.phrases) {
        EXPECT_NE(std::string(error.what()).find(phrase), std::string::npos)
            << error.what() << "\n  lacks: " << phrase;
      }
    }
    EXPECT_EQ(fake.openDevices, 0) << c.selection;
  }
}

// What the eye sees: the contrast of a display that is switched off shows nowhere.
bool sameGlass(const panel::VirtualPanel& a, const panel::VirtualPanel& b) {
  const bool on = a.controller().displayOn();
  return on == b.controller().displayOn() && a.glass().dark == b.glass().dark &&
         a.backlight() == b.backlight() && (!on || a.glass().darkness == b.glass().darkness);
}

// A driver on a virtual panel, or on an FTDI adapter whose pins feed one; counts the display
// data the panel takes.
struct Rig final : panel::PanelObserver {
  explicit Rig(std::optional<Mode> ftdiMode = std::nullopt, FtdiChip chip = FtdiChip::Ft232h) {
    settings.present = true;
    fake.chip = chip;
    panel.controller().observe(this);
    Platform platform{&panel, &pauses, &settings, &folder};
    if (ftdiMode) {
      fake.onMode = [this](uint8_t outputs, FtdiBitmode mode) { decoder.setMode(outputs, mode); };
      fake.onBytes = [this](std::span<const uint8_t> bytes) { decoder.take(bytes); };
      connection = openFtdi(FtdiConfig{.mode = *ftdiMode}, 0x378, fake);
      platform.port = connection.port.get();
      platform.bus = connection.bus.get();
    }
    driver.usePlatform(platform);
  }
  void onFrame(bool isData, uint8_t) override { dataFrames += isData ? 1 : 0; }
  void onScreenWritten() override {}

  void run(const std::function<void(Driver&)>& call) {
    try {
      call(driver);
    } catch (const PortFailure&) {
      // as at an entry point, the call fails and the session goes on
    }
  }

  FakeFtdi fake;
  panel::VirtualPanel panel;
  FtdiPinDecoder decoder{panel, FtdiPins{}};
  FtdiConnection connection;
  SilentPauses pauses;
  InMemorySettings settings;
  FixedHostFolder folder;
  Driver driver{Platform{}};
  uint64_t dataFrames = 0;
};

// Each chip gets the mode it can do in the automatic mode, with the lines as wired and the
// MPSSE clock at most 4 MHz.
TEST(FtdiOpening, ChipsGetTheirModeAndTheClockStaysWithinTheController) {
  struct Case {
    FtdiChip chip;
    bool mpsse;
    uint32_t clockHz;
    const char* setting;  // the mode, with the default wiring's lines as outputs
  };
  const Case cases[] = {
      {FtdiChip::Ft232h, true, 3'750'000, "ftdi_set_bitmode 3b 02"},
      {FtdiChip::Ft2232h, true, 3'750'000, "ftdi_set_bitmode 3b 02"},
      {FtdiChip::Ft4232h, true, 3'750'000, "ftdi_set_bitmode 3b 02"},
      {FtdiChip::Ft2232c, true, 3'000'000, "ftdi_set_bitmode 3b 02"},
      {FtdiChip::R, false, 0, "ftdi_set_bitmode 3b 04"},
      {FtdiChip::X, false, 0, "ftdi_set_bitmode 3b 04"},
  };
  for (const Case& c : cases) {
    const Rig rig(Mode::Automatic, c.chip);
    const char* name = traitsOf(c.chip).name;
    EXPECT_EQ(rig.connection.bus != nullptr, c.mpsse) << name;
    EXPECT_EQ(rig.connection.port == nullptr, c.mpsse) << name;
    if (c.mpsse) {
      EXPECT_EQ(rig.decoder.mpsseClockHz(), c.clockHz) << name;
      EXPECT_EQ(rig.connection.bus->clockHz(), c.clockHz) << name;
    }
    EXPECT_NE(std::find(rig.fake.log.begin(), rig.fake.log.end(), c.setting), rig.fake.log.end())
        << name;
    EXPECT_TRUE(rig.decoder.problems.empty()) << name;
  }
}

// An adapter that goes away mid-run: the call fails naming the libftdi call and the adapter,
// and the adapter is closed when the connection goes.
TEST(FtdiRunning, AnAdapterThatWentAwayFailsTheCallNamingIt) {
  for (const Mode mode : {Mode::Bitbang, Mode::Mpsse}) {
    Rig rig(mode);
    rig.fake.failCall("write", rig.fake.callCount("write") + 1, -666, "USB device unavailable");
    try {
      rig.driver.Init();
      ADD_FAILURE() << "the call went through";
    } catch (const PortFailure& failure) {
      const std::string expected =
          std::string(mode == Mode::Bitbang ? "ftdi_write_data_submit" : "ftdi_write_data") +
          " on ftdi:d:1/7 failed: USB device unavailable; the adapter went away";
      EXPECT_NE(std::string(failure.what()).find(expected), std::string::npos) << failure.what();
    }
    rig.connection = {};
    EXPECT_EQ(rig.fake.openDevices, 0);
  }
}

// A write that returns fewer bytes than it was given fails the call, in either mode.
TEST(FtdiRunning, AShortWriteFailsTheCall) {
  for (const Mode mode : {Mode::Bitbang, Mode::Mpsse}) {
    Rig rig(mode);
    rig.fake.failCall("write", rig.fake.callCount("write") + 1, 5, "", 5);
    try {
      rig.driver.Init();
      ADD_FAILURE() << "the call went through";
    } catch (const PortFailure& failure) {
      EXPECT_NE(std::string(failure.what()).find("the write was cut short"), std::string::npos)
          << failure.what();
    }
  }
}

// MPSSE: once the wiring check drove the lines, the next control lines are written again even
// if they equal those set before it.
TEST(FtdiRunning, MpsseSetsTheLinesAgainAfterTheWiringCheck) {
  Rig rig(Mode::Mpsse);
  FtdiMpsseBus& bus = *rig.connection.bus;
  const Bus::ControlLines lit{.resetReleased = true, .backlightOn = true};
  bus.setControlLines(lit);
  bus.flush();
  ASSERT_TRUE(rig.panel.backlight());
  bus.drive(std::nullopt);  // every line low
  ASSERT_FALSE(rig.panel.backlight());
  bus.setControlLines(lit);
  bus.flush();
  EXPECT_TRUE(rig.panel.backlight());
}

// Bit-bang carries the driver's two registers and its delay reads; any other address fails the
// access and sends nothing.
TEST(FtdiRunning, BitbangRefusesAddressesItDoesNotCarry) {
  Rig rig(Mode::Bitbang);
  FtdiBitbangPort& port = *rig.connection.port;
  const uint64_t opening = rig.fake.bytes;
  EXPECT_THROW(port.write(0x379, 0), PortFailure);
  EXPECT_THROW(port.read(0x379), PortFailure);
  EXPECT_EQ(port.lastFailure(),
            "read of port 379 on ftdi:d:1/7 refused: it carries only writes to the data register "
            "378 and the control register 37a, and reads of the delay port 220");
  port.flush();
  EXPECT_EQ(rig.fake.bytes, opening);
}

// A transfer cut short anywhere leaves the pins where it stopped; the lines written next, a
// backlight change, clock no stray bit into the controller.
TEST(FtdiRunning, ALostBitbangTransferLeavesNoStrayClockEdge) {
  for (std::size_t delivered = 1; delivered <= 40; ++delivered) {
    Rig rig(Mode::Bitbang);
    rig.fake.failCall("write", rig.fake.callCount("write") + 1, -1, "usb bulk write failed",
                      delivered);
    rig.driver.showFrame({});
    const int bits = rig.panel.pendingBits();
    rig.driver.setBacklight(true);
    EXPECT_EQ(rig.panel.pendingBits(), bits) << delivered << " bytes delivered";
  }
}

// Host calls drawn at random: configurations (delays, backlight, contrast, either refresh
// mode), initialisations, clean-ups, screens of text of which a few cells change, stray
// characters, graphics uploads, composed pictures, backlight and contrast.
class HostCalls {
 public:
  HostCalls(uint32_t seed, bool changed) : rng_(seed), changed_(changed) {}

  struct Call {
    std::function<void(Driver&)> apply;
    std::string settingsFile = {};  // of a configuration
  };

  std::vector<Call> next() {
    const int choice = pick(0, 99);
    if (choice < 6) return {configure()};
    if (choice < 12) return {{[](Driver& d) { d.Init(); }}};
    if (choice < 15) return {{[](Driver& d) { d.CleanUp(); }}};
    if (choice < 45) return screen();
    if (choice < 65) return {graphics()};
    if (choice < 80) return {picture()};
    if (choice < 85) return {{[on = pick(0, 1) == 1](Driver& d) { d.setBacklight(on); }}};
    if (choice < 90) {
      return {{[value = static_cast<uint8_t>(pick(0, 255))](Driver& d) { d.setContrast(value); }}};
    }
    const int32_t column = pick(0, 13);
    const int32_t row = pick(0, 5);
    return {{[=](Driver& d) { d.SetOutputAddress(column, row); }},
            {[](Driver& d) { d.SendToMemory('S'); }}};
  }
  Call configure() {
    // The whole glass: a re-sync clears what lies outside a smaller region, which a run
    // without failures keeps.
    const IoProperties properties{.addressDelay = pick(0, 2),
                                  .busDelay = pick(0, 2),
                                  .backlight = pick(0, 1) == 1,
                                  .contrastOn = pick(0, 1) == 1,
                                  .contrastValue = static_cast<uint8_t>(pick(0, 255))};
    return {
        [properties](Driver& d) { d.SetIOPropertys("378", properties); },
        changed_
            ? "[init]\nRefreshMode=Changed\nFullRefreshEvery=" + std::to_string(pick(0, 5)) + "\n"
            : ""};
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::vector<Call> screen() {
    for (int changes = pick(0, 3); changes > 0; --changes) {
      cells_[static_cast<std::size_t>(pick(0, 83))] = static_cast<uint8_t>(pick(0x20, 0xFF));
    }
    std::vector<Call> calls;
    for (int32_t row = 0; row < 6; ++row) {
      calls.push_back({[row](Driver& d) { d.SetOutputAddress(0, row); }});
      for (int32_t column = 0; column < 14; ++column) {
        const uint8_t code = cells_[static_cast<std::size_t>(row * 14 + column)];
        calls.push_back({[code](Driver& d) { d.SendToMemory(code); }});
      }
    }
    return calls;
  }
  Call graphics() {
    const int x1 = pick(0, 83);
    const int x2 = std::min(83, x1 + pick(0, 30));
    const int y1 = pick(0, 47);
    const int y2 = std::min(47, y1 + pick(0, 20));
    for (int n = pick(1, 40); n > 0; --n)
      bitmap_[static_cast<std::size_t>(pick(0, 84 * 48 - 1))] ^= 1;
    return {[bitmap = bitmap_, x1, y1, x2, y2, inverted = pick(0, 3) == 0](Driver& d) {
      d.SendToGfxMemory(bitmap.data(), uint16_t(x1), uint16_t(y1), uint16_t(x2), uint16_t(y2),
                        inverted);
    }};
  }
  Call picture() {
    const bool everything = pick(0, 4) == 0;
    for (int n = everything ? 504 : pick(1, 8); n > 0; --n) {
      picture_[static_cast<std::size_t>(everything ? n - 1 : pick(0, 503))] =
          static_cast<uint8_t>(pick(0, 255));
    }
    return {[frame = picture_](Driver& d) { d.showFrame(frame); }};
  }

  std::mt19937 rng_;
  bool changed_;
  std::array<uint8_t, 84> cells_{};
  std::array<uint8_t, 84 * 48> bitmap_{};
  FrameMemory::Layer picture_{};
};

// Generated sessions in both modes and both refresh modes. USB writes fail now and then, having
// delivered any part of their bytes, and in MPSSE mode so does setting the mode afresh. Until
// the first failure every call makes exactly the reference's port operations (bit-bang: one
// byte each) or frames (MPSSE). The glass equals the reference's after every call; after a
// failing call, by the end of the next call that refreshes the display (the calls between
// bring the controller back, but a dropped upload stays dropped until a refresh).
TEST(FtdiSessions, PutOnTheGlassWhatTheDriverPutsOnAVirtualPanelDespiteUsbFailures) {
  constexpr uint32_t Sessions = 16;
  constexpr int Steps = 30;
  uint64_t failures = 0;
  for (const Mode mode : {Mode::Bitbang, Mode::Mpsse}) {
    for (const bool changed : {false, true}) {
      for (uint32_t seed = 1; seed <= Sessions && !HasFailure(); ++seed) {
        SCOPED_TRACE(std::string(mode == Mode::Bitbang ? "bit-bang" : "MPSSE") +
                     (changed ? ", changed refresh" : ", full refresh") + ", seed " +
                     std::to_string(seed));
        HostCalls host(seed, changed);
        std::mt19937 faults(seed * 7919);
        auto chance = [&](int in) {
          return std::uniform_int_distribution<int>(1, in)(faults) == 1;
        };
        Rig reference;
        Rig ftdi(mode);
        ASSERT_EQ(ftdi.panel.pendingBits(), 0) << "a clock edge outside reset at opening";
        bool failedYet = false;
        bool healDue = false;
        std::vector<HostCalls::Call> calls{host.configure(), {[](Driver& d) { d.Init(); }}};
        for (int step = 0; step < Steps && !HasFailure(); ++step) {
          for (const HostCalls::Call& call : calls) {
            if (chance(30)) {
              const auto delivered = std::uniform_int_distribution<std::size_t>(0, 12000)(faults);
              ftdi.fake.failCall("write", ftdi.fake.callCount("write") + (chance(2) ? 1 : 2), -1,
                                 "usb bulk write failed", delivered);
              if (mode == Mode::Mpsse && chance(2)) {
                ftdi.fake.failCall("ftdi_set_bitmode", ftdi.fake.callCount("ftdi_set_bitmode") + 1,
                                   -1, "can't set bitbang mode");
              }
            }
            const uint64_t operations = reference.panel.operationCount();
            const uint64_t frames = reference.panel.frameCount();
            const uint64_t dataFrames = reference.dataFrames;
            const uint64_t bytes = ftdi.fake.bytes;
            const uint64_t ftdiFrames = ftdi.panel.frameCount();
            const uint64_t failed = ftdi.fake.failed;
            if (!call.settingsFile.empty()) {
              reference.settings.contents = ftdi.settings.contents = call.settingsFile;
            }
            reference.run(call.apply);
            ftdi.run(call.apply);
            if (ftdi.fake.failed != failed) {
              failedYet = healDue = true;
              continue;
            }
            if (!failedYet && mode == Mode::Bitbang) {
              ASSERT_EQ(ftdi.fake.bytes - bytes, reference.panel.operationCount() - operations);
            }
            if (!failedYet) {
              ASSERT_EQ(ftdi.panel.pendingBits(), 0) << "a stray clock edge";
            }
            if (!failedYet && mode == Mode::Mpsse) {
              ASSERT_EQ(ftdi.panel.frameCount() - ftdiFrames,
                        reference.panel.frameCount() - frames);
            }
            if (healDue && reference.dataFrames == dataFrames) continue;
            healDue = false;
            ASSERT_TRUE(sameGlass(ftdi.panel, reference.panel))
                << "step " << step << (failedYet ? ", after a failure" : "");
          }
          calls = host.next();
        }
        EXPECT_TRUE(ftdi.decoder.problems.empty()) << ftdi.decoder.problems.front();
        failures += ftdi.fake.failed;
      }
    }
  }
  RecordProperty("usb_failures", std::to_string(failures));
  EXPECT_GT(failures, 100u) << "too few failures to judge";
}

}  // namespace
}  // namespace om6211::testing
