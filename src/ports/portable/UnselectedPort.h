#pragma once

#include "seams/PortIo.h"

namespace om6211 {

// The port of builds that have no port back end bound yet: every operation fails, so nothing
// ever reaches a real I/O port by accident.
class UnselectedPort final : public PortIo {
 public:
  constexpr UnselectedPort() = default;

  void write(uint32_t, uint8_t) override { fail(); }
  uint8_t read(uint32_t) override { fail(); }

 private:
  [[noreturn]] static void fail() { throw PortFailure("no port back end selected"); }
};

}  // namespace om6211
