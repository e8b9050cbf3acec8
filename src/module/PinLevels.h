#pragma once

namespace om6211::module {

// The levels on the module's five inputs at one moment. Idle: clock and data high, reset
// released, the chip selected (its input is active low and held low while the display runs).
struct PinLevels {
  bool clock = true;  // the controller samples the data line as it rises
  bool data = true;
  bool resetReleased = true;  // the reset input is active low
  bool backlightOn = false;
  bool chipSelected = true;

  friend bool operator==(const PinLevels&, const PinLevels&) = default;
};

}  // namespace om6211::module
