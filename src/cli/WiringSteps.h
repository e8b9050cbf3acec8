#pragma once

#include <cstdint>

#include "module/Db25Wiring.h"

namespace om6211::cli {

// One step of the wiring check: one signal driven high at its DB-25 pin(s) while every other
// signal pin rests low, and what the pin should show at the module.
struct WiringStep {
  const char* signal;
  const char* pins;       // DB-25 pin numbers
  const char* register_;  // where the level comes from
  uint8_t data;           // data register value
  uint8_t control;        // control register value (bits 0 and 1 are inverted at pins 1 and 14)
  const char* module;     // what the line does at the display module
};

// Every signal pin low: data register 0, control bits 0 and 1 set (pins 1 and 14 low).
inline constexpr uint8_t RestData = 0x00;
inline constexpr uint8_t RestControl = module::db25::controlRegister(false, false);

inline constexpr WiringStep WiringSteps[] = {
    {"serial data", "1", "control bit 0, inverted at the pin", RestData,
     module::db25::controlRegister(false, true), "the module's serial data input"},
    {"serial clock", "14", "control bit 1, inverted at the pin", RestData,
     module::db25::controlRegister(true, false),
     "the module's clock input (it samples data on the rising edge)"},
    {"reset", "3", "data bit 1", module::db25::ResetReleasedBit, RestControl,
     "the module's reset input (low resets the controller; high lets it run)"},
    {"pins 4-5", "4 and 5", "data bits 2-3", module::db25::HeldHighBits, RestControl,
     "the lines held high while the display runs"},
    {"backlight", "6, 7, 8 and 9", "data bits 4-7", module::db25::BacklightBits, RestControl,
     "the backlight: it should light"},
};

}  // namespace om6211::cli
