#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ports/ftdi/FtdiConfig.h"
#include "ports/linux/GpioLine.h"
#include "ports/linux/GpioWiring.h"
#include "ports/linux/SpidevConfig.h"

namespace om6211 {

// A port text that names no back end of this build, or names one wrongly. The message says
// what is wrong and lists every back end with its syntax.
class PortSelectionError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Which port the driver's frames go out on, as the faces name it (the tool's --port, LCDd's
// Port=).
struct PortSelection {
  enum class Kind : uint8_t {
    Virtual,  // the virtual panel
    Ppdev,    // the kernel's parallel-port device
    Direct,   // direct port I/O
    Gpio,     // the module's lines on GPIO lines
    Spi,      // the serial clock and data on an SPI controller, reset and backlight on GPIO lines
    Ftdi,     // an FTDI USB adapter's lines, in bit-bang or MPSSE mode
  };
  Kind kind = Kind::Virtual;
  // The data register the driver is configured with and the virtual panel is wired to: BASE of
  // "virtual:BASE" and "direct:BASE", 378 otherwise.
  uint32_t base = 0x378;
  std::string device = {};  // the device path of Ppdev and Spi, the chip of Gpio

  // The module's inputs on GPIO lines (a plain "gpiochipN" is read as "/dev/gpiochipN"): all
  // but chip select for Gpio, reset (and the backlight when wired) for Spi, where the
  // controller's own lines carry clock, data and chip select.
  std::optional<GpioLine> clock = std::nullopt;
  std::optional<GpioLine> data = std::nullopt;
  std::optional<GpioLine> reset = std::nullopt;
  std::optional<GpioLine> backlight = std::nullopt;
  std::optional<GpioLine> chipSelect = std::nullopt;
  // The serial clock of Spi: the controller takes at most 4 MHz.
  uint32_t speedHz = MaxSpeedHz;
  static constexpr uint32_t MaxSpeedHz = 4'000'000;
  // The adapter of Ftdi, its mode and its wiring.
  FtdiConfig ftdi = {};

  // What the GPIO and spidev back ends take of a Gpio and a Spi selection.
  GpioWiring gpioWiring() const;
  SpidevConfig spidevConfig() const;

  // Whether the selection names real hardware rather than the virtual panel.
  bool isHardware() const { return kind != Kind::Virtual; }
  // What the selection is, for people: "the virtual panel at 378", "/dev/parport0",
  // "direct I/O at 378", "GPIO lines of gpiochip0", "/dev/spidev0.0", "the FTDI adapter
  // i:0x0403:0x6014".
  std::string description() const;

  friend bool operator==(const PortSelection&, const PortSelection&) = default;
};

// Reads "virtual", "virtual:BASE", "ppdev:/dev/parportN", "direct:BASE" (BASE hexadecimal,
// at most FFFD so that the control register BASE + 2 is a port too),
// "gpio:CHIP:clk=N,din=N,res=N[,light=N][,cs=N]" and
// "spi:DEVICE:res=CHIP/N[,light=CHIP/N][,hz=HZ]" and
// "ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE,...]". Raises PortSelectionError, also
// for a line named twice and for a clock above 4 MHz.
PortSelection parsePortSelection(std::string_view text);

}  // namespace om6211
