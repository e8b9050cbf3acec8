#pragma once

#include <string>

#include "ports/ftdi/FtdiPins.h"

namespace om6211 {

// What the FTDI back end opens: which adapter, in which mode, wired how.
struct FtdiConfig {
  enum class Mode {
    Automatic,  // MPSSE where the chip has it and the wiring allows it, else bit-bang
    Bitbang,    // synchronous bit-bang: every port write one pin state
    Mpsse,      // the serial engine clocks the frames out
  };

  // i:VENDOR:PRODUCT[:INDEX] (the INDEX-th device with these IDs), s:VENDOR:PRODUCT:SERIAL or
  // d:BUS/DEVICE; empty for the first FTDI device found.
  std::string description = {};
  Mode mode = Mode::Automatic;
  FtdiPins pins = {};

  friend bool operator==(const FtdiConfig&, const FtdiConfig&) = default;
};

}  // namespace om6211
