#pragma once

#include <cstdint>

#include "module/PinLevels.h"

namespace om6211 {

// Which of an FTDI adapter's eight ADBUS lines (0-7; D0-D7 on an FT232R) carries each of the
// module's inputs. Clock, data and reset are needed; backlight and chip select may be left
// unwired. The default wiring suits both modes: in MPSSE mode the engine itself drives the
// clock on line 0 and the data on line 1.
struct FtdiPins {
  static constexpr int Unwired = -1;

  int clock = 0;
  int data = 1;
  int chipSelect = 3;
  int reset = 4;
  int backlight = 5;

  // The lines driven as outputs.
  uint8_t outputs() const {
    uint8_t mask = 0;
    for (int line : {clock, data, chipSelect, reset, backlight}) mask |= bit(line, true);
    return mask;
  }
  // The pin-state byte that puts `levels` on the lines.
  uint8_t byteFor(const module::PinLevels& levels) const {
    return static_cast<uint8_t>(
        bit(clock, levels.clock) | bit(data, levels.data) | bit(chipSelect, !levels.chipSelected) |
        bit(reset, levels.resetReleased) | bit(backlight, levels.backlightOn));
  }

  friend bool operator==(const FtdiPins&, const FtdiPins&) = default;

 private:
  static uint8_t bit(int line, bool high) {
    return line >= 0 && high ? static_cast<uint8_t>(1u << line) : 0;
  }
};

}  // namespace om6211
