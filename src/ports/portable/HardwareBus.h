#pragma once

#include "ports/portable/Hardware.h"
#include "seams/Bus.h"

namespace om6211 {

// A real device that takes the module's frames and control lines itself, rather than the
// parallel-port register writes that would make them.
class HardwareBus : public Bus, public Hardware {
 protected:
  using Hardware::Hardware;
};

}  // namespace om6211
