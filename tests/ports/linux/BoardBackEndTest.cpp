// The board back ends on a fake board: how their selections read, every way opening them can
// fail (the message names the fix, nothing is left open) and what they ask of the kernel.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "host/PortFactory.h"
#include "ports/linux/GpioPort.h"
#include "ports/linux/SpidevBus.h"
#include "support/FakeBoard.h"

namespace om6211::testing {
namespace {

using Pin = FakeBoard::Pin;

std::string openingError(const std::string& selection, FakeBoard& board) {
  try {
    openHardware(parsePortSelection(selection), 0x378, board);
  } catch (const std::exception& error) {  // PortOpenError, or PortSelectionError for the text
    return error.what();
  }
  return "";
}

TEST(BoardSelection, ReadsLinesAndClock) {
  const PortSelection gpio = parsePortSelection("gpio:gpiochip0:clk=11,din=10,res=25,cs=8");
  EXPECT_EQ(gpio.description(), "GPIO lines of /dev/gpiochip0");
  EXPECT_EQ(gpio.clock, (GpioLine{"/dev/gpiochip0", 11}));
  EXPECT_EQ(gpio.chipSelect, (GpioLine{"/dev/gpiochip0", 8}));
  EXPECT_FALSE(gpio.backlight);
  const PortSelection spi =
      parsePortSelection("spi:/dev/spidev0.1:light=pinctrl-rp1/18,res=/dev/gpiochip4/25,hz=1000");
  EXPECT_EQ(spi.description(), "/dev/spidev0.1");
  EXPECT_EQ(spi.reset, (GpioLine{"/dev/gpiochip4", 25}));
  EXPECT_EQ(spi.backlight, (GpioLine{"pinctrl-rp1", 18}));
  EXPECT_EQ(spi.speedHz, 1000u);
  EXPECT_EQ(parsePortSelection("spi:/dev/spidev0.0:res=gpiochip0/25").speedHz, 4'000'000u);
  EXPECT_EQ(parsePortSelection("spi:/dev/spidev0.0:res=gpiochip0/25,hz=4000000").speedHz,
            4'000'000u);
  const PortSelection ftdi = parsePortSelection("ftdi:i:0x0403:0x6001:mode=bitbang");
  EXPECT_EQ(ftdi.description(), "the FTDI adapter i:0x0403:0x6001");
  EXPECT_EQ(ftdi.ftdi.mode, FtdiConfig::Mode::Bitbang);
  EXPECT_EQ(parsePortSelection("ftdi").description(), "the first FTDI adapter");
  EXPECT_THROW(parsePortSelection("ftdi:mode=fast"), PortSelectionError);
  try {
    parsePortSelection("usb:0");
    ADD_FAILURE() << "usb:0 was taken";
  } catch (const PortSelectionError& error) {
    EXPECT_NE(std::string(error.what()).find("ftdi:[DESCRIPTION]"), std::string::npos);
  }
}

// Every way opening can fail, table-driven over the fake kernel's answers.
TEST(BoardBackEnds, OpeningFailuresNameTheFixAndLeaveNothingOpen) {
  struct Case {
    const char* selection;
    std::function<void(FakeBoard&)> setUp;
    std::vector<const char*> phrases;
  };
  const auto none = [](FakeBoard&) {};
  const char* gpio = "gpio:gpiochip0:clk=11,din=10,res=25";
  const char* spi = "spi:/dev/spidev0.0:res=gpiochip0/25,light=gpiochip0/18";
  const Case cases[] = {
      {"gpio:gpiochip7:clk=11,din=10,res=25", none, {"/dev/gpiochip7: no such GPIO chip", "ls"}},
      {gpio,
       [](FakeBoard& b) { b.failCall("open", EACCES); },
       {"permission", "gpio group", "udev"}},
      {gpio,
       [](FakeBoard& b) { b.chips[0].heldBy[25] = "spi0 CS0"; },
       {"line 25 is in use by 'spi0 CS0'"}},
      {"gpio:gpiochip0:clk=60,din=10,res=25", none, {"has lines 0 to 57", "no line 60"}},
      {"gpio:gpiochip0:clk=54,din=10,res=25",
       [](FakeBoard& b) { b.chips[0].lines = 54; },
       {"has lines 0 to 53", "no line 54"}},
      {"gpio:pinctrl-rp1:clk=11,din=10,res=25", none, {"no GPIO chip has this name", "bcm2711"}},
      {gpio, [](FakeBoard& b) { b.failCall("GPIO_V2_GET_LINE_IOCTL", ENOTTY); }, {"Linux 5.10"}},
      {"gpio:gpiochip0:clk=11,din=11,res=25", none, {"line 11 of /dev/gpiochip0 is named twice"}},
      {"gpio:gpiochip0:clk=11,din=10", none, {"name the line of res", "spi:/dev/spidevB.C"}},
      {"spi:/dev/spidev1.0:res=gpiochip0/25", none, {"no such SPI device", "dtparam=spi=on"}},
      {spi, [](FakeBoard& b) { b.failCall("open", EACCES); }, {"permission", "spi group"}},
      {spi, [](FakeBoard& b) { b.failCall("SPI_IOC_WR_MODE", EINVAL); }, {"mode 3 refused"}},
      {spi, [](FakeBoard& b) { b.chips[0].heldBy[18] = "led0"; }, {"line 18 is in use by 'led0'"}},
      {spi, [](FakeBoard& b) { b.failCall("open", EACCES, 2); }, {"gpiochip0", "gpio group"}},
      {"spi:/dev/spidev0.0:res=gpiochip0/25,hz=4000001", none, {"above the controller's 4 MHz"}},
      {"spi:/dev/spidev0.0:res=gpiochip0/25,light=/dev/gpiochip0/25", none, {"named twice"}},
      {"spi:/dev/spidev0.0:res=25", none, {"res takes CHIP/N"}},
      {"spi:/dev/spidev0.0:res=/25", none, {"res takes CHIP/N"}},
      {spi,
       [](FakeBoard& b) {
         b.lockedBy["/dev/spidev0.0"] = {1234, "LCDd"};
       },
       {"/dev/spidev0.0 is in use by process 1234 (LCDd)"}},
      {"spi:/dev/spidev0.0:res=gpiochip0/25,hz=1,hz=2", none, {"hz= given twice"}},
      {"gpio:gpiochip0:clk=11,din=10,res=25,clock=3", none, {"unknown setting 'clock'"}},
      {"gpio:gpiochip0:clk,din=10,res=25", none, {"clk takes a line number"}},
  };
  for (const Case& c : cases) {
    FakeBoard board;
    c.setUp(board);
    const std::string message = openingError(c.selection, board);
    for (const char* phrase : c.phrases) {
      EXPECT_NE(message.find(phrase), std::string::npos) << message << " lacks " << phrase;
    }
    EXPECT_TRUE(board.openFds().empty()) << c.selection << ": " << message;
  }
}

// A device that goes away mid-run: the failing call is named, the fix too, and the back end
// closes all it opened.
TEST(BoardBackEnds, DeviceGoneMidRunIsReported) {
  const struct {
    const char* selection;
    const char* call;
    const char* unplugged;
  } cases[] = {
      {"gpio:gpiochip0:clk=11,din=10,res=25", "GPIO_V2_LINE_SET_VALUES_IOCTL", "/dev/gpiochip0"},
      {"spi:/dev/spidev0.0:res=gpiochip0/25", "SPI_IOC_MESSAGE", "/dev/spidev0.0"}};
  for (const auto& c : cases) {
    FakeBoard board;
    {
      OpenedHardware hardware = openHardware(parsePortSelection(c.selection), 0x378, board);
      board.unplug(c.unplugged);
      try {
        if (hardware.port) hardware.port->write(0x37A, 3);
        if (hardware.bus) {
          hardware.bus->sendFrame(true, 0x55, 0);
          hardware.bus->flush();
        }
        ADD_FAILURE() << c.selection << ": no failure";
      } catch (const PortFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find(std::string(c.call) + " on "),
                  std::string::npos);
        EXPECT_NE(std::string(failure.what()).find("went away"), std::string::npos);
      }
      EXPECT_EQ(hardware.get()->failureCount(), 1u);
      EXPECT_TRUE(hardware.get()->deviceLost());
    }
    EXPECT_TRUE(board.openFds().empty());
    EXPECT_EQ(board.consumers, std::vector<std::string>{"om6211"});
  }
}

// The module wired to the lines of gpiochip0 that `selection` names, opened.
OpenedHardware openGpio(FakeBoard& board, const char* selection) {
  board.wire("/dev/gpiochip0", 10, Pin::Data);
  board.wire("/dev/gpiochip0", 11, Pin::Clock);
  board.wire("/dev/gpiochip0", 25, Pin::Reset);
  board.wire("/dev/gpiochip0", 18, Pin::Backlight);
  return openHardware(parsePortSelection(selection), 0x378, board);
}

// Over random register writes: one set-values call for each write that changes a line, none
// for the others, and the module's pins at the levels the parallel-port wiring gives them.
TEST(GpioPort, SetsOnlyChangedLinesOncePerWrite) {
  FakeBoard board;
  OpenedHardware hardware = openGpio(board, "gpio:gpiochip0:clk=11,din=10,res=25,light=18,cs=8");
  std::mt19937 rng(7);
  uint8_t data = 0x0E;
  uint8_t control = 0;
  for (int i = 0; i < 2000; ++i) {
    const bool toControl = rng() % 2 == 0;
    const auto value = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : (toControl ? control : data));
    const auto levels = [&] {
      return std::array<bool, 4>{(control & 1) == 0, (control & 2) == 0, (data & 2) != 0,
                                 (data & 0xF0) != 0};
    };
    const auto before = levels();
    (toControl ? control : data) = value;
    const uint64_t calls = board.calls["GPIO_V2_LINE_SET_VALUES_IOCTL"];
    hardware.port->write(toControl ? 0x37A : 0x378, value);
    EXPECT_EQ(board.calls["GPIO_V2_LINE_SET_VALUES_IOCTL"] - calls, before != levels() ? 1u : 0u);
    EXPECT_EQ(board.module.backlight(), levels()[3]);
    EXPECT_EQ(board.module.inReset(), !levels()[2]);
  }
  // The delay unit is one read of the lines.
  hardware.port->read(0x220);
  EXPECT_EQ(board.calls["GPIO_V2_LINE_GET_VALUES_IOCTL"], 1u);
}

// A control-register write that failed left the lines as they were: the data-register write
// after it keeps the clock and data lines there, so raising the clock later clocks no bit in.
TEST(GpioPort, AFailedWriteLeavesTheSerialLinesWhereTheyWere) {
  FakeBoard board;
  OpenedHardware hardware = openGpio(board, "gpio:gpiochip0:clk=11,din=10,res=25,light=18");
  board.failCall("GPIO_V2_LINE_SET_VALUES_IOCTL", EIO,
                 static_cast<int>(board.calls["GPIO_V2_LINE_SET_VALUES_IOCTL"]) + 1);
  EXPECT_THROW(hardware.port->write(0x37A, 0x03), PortFailure);  // clock and data low
  hardware.port->write(0x378, 0xFE);                             // the backlight on
  hardware.port->write(0x37A, 0x00);                             // clock and data high
  EXPECT_TRUE(board.module.backlight());
  EXPECT_EQ(board.module.clockEdges(), 0u);
}

// spidev: the frames queued go out before the reset line changes, under the lines they were
// sent with; however many are queued, no transfer exceeds the device's buffer, whole frames
// in each.
TEST(SpidevBus, QueuedFramesGoOutBeforeTheLinesChangeInTransfersThatFit) {
  for (const bool nineBits : {true, false}) {
    SCOPED_TRACE(nineBits ? "9-bit words" : "8-bit words");
    FakeBoard board;
    board.spiTakesNineBits = nineBits;
    board.wire("/dev/gpiochip0", 25, Pin::Reset);
    OpenedHardware hardware =
        openHardware(parsePortSelection("spi:/dev/spidev0.0:res=gpiochip0/25"), 0x378, board);
    for (int i = 0; i < 3; ++i) hardware.bus->sendFrame(true, 0x81, 0);
    hardware.bus->setControlLines({.resetReleased = false});
    EXPECT_GE(board.module.frameCount(), 3u) << "frames went out while reset was held";
    hardware.bus->setControlLines({.resetReleased = true});
    board.transfers.clear();
    constexpr uint64_t Frames = 5000;
    for (uint64_t i = 0; i < Frames; ++i) hardware.bus->sendFrame(true, 0x18, 0);
    hardware.bus->flush();
    EXPECT_EQ(hardware.get()->failureCount(), 0u);
    EXPECT_GE(board.module.frameCount(), 3 + Frames);
    EXPECT_EQ(board.module.pendingBits(), 0);
    for (const FakeBoard::Transfer& transfer : board.transfers) {
      EXPECT_LE(transfer.bytes, SpidevBus::TransferBytes);
    }
  }
}

}  // namespace
}  // namespace om6211::testing
