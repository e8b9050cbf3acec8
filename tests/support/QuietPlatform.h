#pragma once

#include <cstdint>

#include "platform/NoHostFolder.h"
#include "platform/NoSettings.h"
#include "platform/Pauses.h"

namespace om6211 {

// Pauses that pass at once: the glass, not the time, is what these programs look at.
class SilentPauses final : public Pauses {
 public:
  void sleep(uint32_t) override {}
};

}  // namespace om6211
