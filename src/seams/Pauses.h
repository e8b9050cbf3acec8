#pragma once

#include <cstdint>

namespace om6211 {

// Blocking pauses of whole milliseconds.
class Pauses {
 public:
  virtual void sleep(uint32_t milliseconds) = 0;

 protected:
  constexpr Pauses() = default;
  Pauses(const Pauses&) = default;
  Pauses& operator=(const Pauses&) = default;
  ~Pauses() = default;
};

}  // namespace om6211
