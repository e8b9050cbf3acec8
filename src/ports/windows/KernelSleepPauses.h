#pragma once

#include "seams/Pauses.h"

namespace om6211 {

// Pauses through the Windows kernel's Sleep.
class KernelSleepPauses final : public Pauses {
 public:
  constexpr KernelSleepPauses() = default;

  void sleep(uint32_t milliseconds) override;
};

}  // namespace om6211
