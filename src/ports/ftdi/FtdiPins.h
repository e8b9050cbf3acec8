#pragma once

#include <array>
#include <cstdint>

namespace om6211 {

// The levels of the module's inputs at one moment.
struct FtdiLevels {
  bool clock = true;  // idles high; the controller samples the data line as it rises
  bool data = true;
  bool resetReleased = true;  // the reset input is active low
  bool backlightOn = false;
  bool chipSelected = true;  // the chip-select input is active low, held selected

  friend bool operator==(const FtdiLevels&, const FtdiLevels&) = default;
};

// The steps that bring the lines from any levels to rest without a clock edge the controller
// could take: reset asserted with the clock low, then the clock raised under reset, then reset
// released; the clock never rises in the step that changes data or reset.
constexpr std::array<FtdiLevels, 3> CleanStartSteps{
    FtdiLevels{.clock = false, .data = true, .resetReleased = false},
    FtdiLevels{.clock = true, .data = true, .resetReleased = false},
    FtdiLevels{},
};

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
  uint8_t byteFor(const FtdiLevels& levels) const {
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
