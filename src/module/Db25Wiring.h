#pragma once

#include <cstdint>

#include "module/PinLevels.h"

namespace om6211::module {

// The module on a PC parallel port's DB-25 connector, as the driver's register writes see it:
// - data register (the port base): bit 1 (pin 3) the reset line, bits 2 and 3 (pins 4 and 5)
//   held high, bits 4-7 (pins 6-9) the backlight; bit 0 is not wired;
// - control register (base + 2): bit 0 (pin 1) drives the data line and bit 1 (pin 14) the
//   clock, each inverted at the pin.
// Chip select is not on the connector: the module's input is tied low, so it is always selected.
namespace db25 {

inline constexpr uint8_t ResetReleasedBit = 0x02;
inline constexpr uint8_t HeldHighBits = 0x0C;
inline constexpr uint8_t BacklightBits = 0xF0;
inline constexpr uint8_t DataLineBit = 0x01;   // inverted at pin 1
inline constexpr uint8_t ClockLineBit = 0x02;  // inverted at pin 14

// The data-register value that holds the reset and backlight lines.
constexpr uint8_t dataRegister(bool resetReleased, bool backlightOn) {
  return static_cast<uint8_t>(HeldHighBits | (resetReleased ? ResetReleasedBit : 0) |
                              (backlightOn ? BacklightBits : 0));
}

// The control-register value that puts `clock` and `data` on the lines.
constexpr uint8_t controlRegister(bool clock, bool data) {
  return static_cast<uint8_t>((data ? 0 : DataLineBit) | (clock ? 0 : ClockLineBit));
}

// A bit as two control-register writes: the data level with the clock low, then the clock
// raised, when the controller takes the bit.
constexpr uint8_t firstHalf(bool one) {
  return controlRegister(false, one);
}
constexpr uint8_t secondHalf(bool one) {
  return controlRegister(true, one);
}

// The levels the lines take after a write of `value` to the data register.
constexpr void applyDataRegister(uint8_t value, PinLevels& levels) {
  levels.resetReleased = (value & ResetReleasedBit) != 0;
  levels.backlightOn = (value & BacklightBits) != 0;
}

// The levels the lines take after a write of `value` to the control register.
constexpr void applyControlRegister(uint8_t value, PinLevels& levels) {
  levels.data = (value & DataLineBit) == 0;
  levels.clock = (value & ClockLineBit) == 0;
}

}  // namespace db25
}  // namespace om6211::module
