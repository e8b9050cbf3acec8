#pragma once

#include <string>

#include "dll/EntryPoint.h"
#include "driver/Driver.h"

namespace om6211::reliability {

// The driver's whole state at one moment.
struct DriverSnapshot {
  DriverSettings settings;
  FrameMemory memory;

  static DriverSnapshot of(const Driver& driver) {
    return {driver.settings(), driver.frameMemory()};
  }
};

bool sameState(const DriverSnapshot& a, const DriverSnapshot& b);

// The first state invariant that `state` breaks (geometry outside its ranges, cursor outside
// the largest grid), or "" when none.
std::string brokenInvariant(const DriverSnapshot& state);

// The first change from `before` to `after` that a call of `entryPoint` may not make, or ""
// when none. Each entry point owns a fixed part of the state: the configuration call the
// configuration fields, the first initialisation its flag, addressing the cursor, text output
// one cell at the cursor and the cursor, graphics upload the graphics layer and the cursor
// reset of its refresh, the custom glyph call one glyph; the rest own nothing.
std::string forbiddenChange(EntryPoint entryPoint, const DriverSnapshot& before,
                            const DriverSnapshot& after);

}  // namespace om6211::reliability
