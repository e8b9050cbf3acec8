#pragma once

#include <string_view>

#include "ports/ftdi/FtdiConfig.h"

namespace om6211 {

// The syntax, for messages.
inline constexpr std::string_view FtdiSyntax =
    "ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE,...], DESCRIPTION one of "
    "i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL, d:BUS/DEVICE; SIGNAL one of clock, "
    "data, reset, backlight, cs; LINE an ADBUS line 0-7, or none for backlight and cs";

// Parses what follows "ftdi:" in a port selection into the FTDI back end's configuration.
// Raises std::invalid_argument, with a message that shows the syntax, for anything else: an unknown
// description, option, mode, signal or line; an option given twice; two signals on one line; clock
// or data elsewhere than lines 0 and 1 with mode=mpsse.
FtdiConfig parseFtdiSelection(std::string_view afterPrefix);

}  // namespace om6211
