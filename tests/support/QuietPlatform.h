#pragma once

#include <cstdint>

#include "ports/portable/NoHostFolder.h"
#include "ports/portable/NoSettings.h"
#include "seams/Pauses.h"

namespace om6211 {

// Pauses that pass at once: the glass, not the time, is what these programs look at.
class SilentPauses final : public Pauses {
 public:
  void sleep(uint32_t) override {}
};

}  // namespace om6211
