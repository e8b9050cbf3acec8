#pragma once

#include <cstdint>
#include <span>

namespace om6211 {

// One step of a fixed controller sequence.
struct SequenceStep {
  enum class Kind : uint8_t {
    ResetLine,     // set the reset line: low (`value` 0) or released (1), the backlight off
    Sleep,         // pause `value` milliseconds
    Command,       // send `value` as a command
    ContrastPair,  // send the configured contrast as its two commands
    ClearRam,      // send 504 zero data bytes from wherever the controller's address stands
  };
  Kind kind;
  uint16_t value;
};

namespace sequence {

// One step a line, with what it does.
// clang-format off

using Kind = SequenceStep::Kind;

// A reset pulse: the controller starts afresh, its bit counter at the start of a frame.
inline constexpr SequenceStep ResetPulse[] = {
    {Kind::ResetLine, 0}, {Kind::Sleep, 1},  // reset line low ...
    {Kind::ResetLine, 1}, {Kind::Sleep, 1},  // ... and released again
};

// Every initialisation, after the reset pulse: power-up, clearing the display RAM, display on.
inline constexpr SequenceStep PowerUp[] = {
    {Kind::Command, 0xE2},                         // software reset
    {Kind::Command, 0x28},                         // power control: all off
    {Kind::Command, 0xAE},                         // display off
    {Kind::Command, 0xA5},                         // all pixels on
    {Kind::ContrastPair, 0},                       // the configured contrast
    {Kind::Command, 0x38},                         // power-up settings of the module
    {Kind::Command, 0x34},      {Kind::Command, 0x3E},
    {Kind::Command, 0xA4},                              // pixels from RAM again
    {Kind::Sleep, 2},           {Kind::Command, 0xB0},  // page 0
    {Kind::Command, 0x10},                              // column 0, high part
    {Kind::Command, 0x00},                              // column 0, low part
    {Kind::Command, 0x40},                              // start line 0
    {Kind::Command, 0x2F},                              // power control: all on
    {Kind::ClearRam, 0},        {Kind::Command, 0xAF},  // display on
};

// After the first initialisation's start-up picture: hold it a second, then blank the RAM.
inline constexpr SequenceStep AfterStartupPicture[] = {
    {Kind::Sleep, 1000},   {Kind::Command, 0xA4},  // pixels from RAM
    {Kind::Command, 0xB0},                         // page 0
    {Kind::Command, 0x10},                         // column 0, high part
    {Kind::Command, 0x00},                         // column 0, low part
    {Kind::ClearRam, 0},
};

// Shut-down: blank the RAM where the address stands, then the display off and powered down.
inline constexpr SequenceStep ShutDown[] = {
    {Kind::ClearRam, 0},   {Kind::Command, 0xAE},  // display off
    {Kind::Command, 0xA5},                         // all pixels on
    {Kind::Command, 0x2E},                         // power control: partly off
    {Kind::Command, 0x80},                         // contrast level 0
    {Kind::Command, 0x20},                         // contrast off
};

// Continuing what an earlier program left on the display, without a reset pulse: the power
// on, pixels from RAM, display on; RAM and contrast are left as they are.
inline constexpr SequenceStep Resume[] = {
    {Kind::Command, 0x2F},                         // power control: all on
    {Kind::Command, 0xA4},                         // pixels from RAM
    {Kind::Command, 0xAF},                         // display on
};

// clang-format on

// Command that lights every pixel, shown instead of a start-up picture that would not fit.
inline constexpr uint8_t AllPixelsOn = 0xA5;

}  // namespace sequence
}  // namespace om6211
