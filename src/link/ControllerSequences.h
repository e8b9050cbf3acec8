#pragma once

#include <cstdint>
#include <span>

namespace om6211 {

// One step of a fixed controller sequence.
struct SequenceStep {
  enum class Kind : uint8_t {
    DataRegister,  // write `value` to the data register as it is (no backlight bits)
    Sleep,         // pause `value` milliseconds
    Command,       // send `value` as a command
    ContrastPair,  // send the configured contrast as its two commands
    ClearRam,      // send 504 zero data bytes from wherever the controller's address stands
  };
  Kind kind;
  uint16_t value;
};

namespace sequence {

using Kind = SequenceStep::Kind;

// Every initialisation: a reset pulse, power-up, clearing the display RAM, display on.
inline constexpr SequenceStep PowerUp[] = {
    {Kind::DataRegister, 0x0C}, {Kind::Sleep, 1},      // reset line low ...
    {Kind::DataRegister, 0x0E}, {Kind::Sleep, 1},      // ... and high again
    {Kind::Command, 0xE2},                             // software reset
    {Kind::Command, 0x28},                             // power control: all off
    {Kind::Command, 0xAE},                             // display off
    {Kind::Command, 0xA5},                             // all pixels on
    {Kind::ContrastPair, 0},                           //
    {Kind::Command, 0x38}, {Kind::Command, 0x34},      // power-up steps
    {Kind::Command, 0x3E}, {Kind::Command, 0xA4},      // ... all pixels from RAM
    {Kind::Sleep, 2},                                  //
    {Kind::Command, 0xB0}, {Kind::Command, 0x10},      // page 0, column 0
    {Kind::Command, 0x00}, {Kind::Command, 0x40},      // ... start line 0
    {Kind::Command, 0x2F},                             // power control: all on
    {Kind::ClearRam, 0},                               //
    {Kind::Command, 0xAF},                             // display on
};

// After the first initialisation's start-up picture has been shown for a second.
inline constexpr SequenceStep AfterStartupPicture[] = {
    {Kind::Sleep, 1000},   {Kind::Command, 0xA4},  // pixels from RAM again
    {Kind::Command, 0xB0}, {Kind::Command, 0x10}, {Kind::Command, 0x00},
    {Kind::ClearRam, 0},
};

// Shut-down: blank the RAM where the address stands, then display and power off.
inline constexpr SequenceStep ShutDown[] = {
    {Kind::ClearRam, 0},   {Kind::Command, 0xAE},  // display off
    {Kind::Command, 0xA5}, {Kind::Command, 0x2E},  // all pixels on, power partly off
    {Kind::Command, 0x80}, {Kind::Command, 0x20},  // contrast 0, contrast off
};

// Command that lights every pixel, shown instead of a start-up picture that would not fit.
inline constexpr uint8_t AllPixelsOn = 0xA5;

}  // namespace sequence
}  // namespace om6211
