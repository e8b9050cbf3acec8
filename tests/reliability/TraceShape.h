#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/DriverSettings.h"
#include "host/PortTrace.h"

namespace om6211::reliability {

// What one operation of a trace is part of.
enum class OperationRole : uint8_t {
  FrameStart,   // the data-register write that opens a frame
  SelectorBit,  // the command/data bit of a frame
  ValueBit,     // one of the eight value bits of a frame
  ResetPulse,   // a data-register write of the power-up reset pulse
  Pause,
};

struct OperationPlace {
  OperationRole role;
  std::size_t bitEnd;  // one past the last operation of the same bit (bit roles only)
};

// The structure found in a trace; `problem` names the first malformation, empty when none.
struct TraceShape {
  std::string problem;
  std::size_t frames = 0;
  std::vector<OperationPlace> places;  // one per operation, up to the first malformation
};

// Reads a trace as the controller's serial frames under `settings`: every frame is one
// data-register write of the backlight bits + 0x0E, then nine bits, each a control write of
// 3 (zero) or 2 (one) and its second half 1 or 0, each followed by the same number of delay
// reads (the bus or the address delay). Besides frames only pauses and the reset pulse's
// data-register writes (0x0C or 0x0E followed by a pause) may appear.
TraceShape analyseTrace(const PortTrace& trace, const DriverSettings& settings);
// The same reading without the places: its problem, empty when none.
std::string frameProblem(const PortTrace& trace, const DriverSettings& settings);

// The weaker check for a trace cut short by port failures: every operation goes to a port of
// the link with a value the link may write.
std::string strayOperation(const PortTrace& trace, const DriverSettings& settings);

}  // namespace om6211::reliability
