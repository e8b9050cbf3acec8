#pragma once

#include <chrono>
#include <thread>

#include "seams/Pauses.h"

namespace om6211 {

// Real pauses for builds without the Windows kernel's Sleep.
class ThreadSleepPauses final : public Pauses {
 public:
  constexpr ThreadSleepPauses() = default;

  void sleep(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace om6211
