#pragma once

#include <string>
#include <string_view>

#include "ports/ftdi/FtdiPins.h"

namespace om6211 {

// An FTDI adapter as the user names it: `ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=…]`.
struct FtdiSelection {
  enum class Mode {
    Automatic,  // MPSSE where the chip has it and the wiring allows it, else bit-bang
    Bitbang,    // synchronous bit-bang: every port write one pin state
    Mpsse,      // the serial engine clocks the frames out
  };

  // What ftdi_usb_open_string takes (i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL,
  // d:BUS/DEVICE); empty for the first FTDI device found.
  std::string description = {};
  Mode mode = Mode::Automatic;
  FtdiPins pins = {};

  friend bool operator==(const FtdiSelection&, const FtdiSelection&) = default;
};

// The syntax, for messages.
inline constexpr std::string_view FtdiSyntax =
    "ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE,...], DESCRIPTION one of "
    "i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL, d:BUS/DEVICE; SIGNAL one of clock, "
    "data, reset, backlight, cs; LINE an ADBUS line 0-7, or none for backlight and cs";

// Parses what follows "ftdi:". Raises std::invalid_argument, with a message that shows the
// syntax, for anything else: an unknown description, option, mode, signal or line; an option
// given twice; two signals on one line; clock or data elsewhere than lines 0 and 1 with
// mode=mpsse.
FtdiSelection parseFtdiSelection(std::string_view afterPrefix);

}  // namespace om6211
