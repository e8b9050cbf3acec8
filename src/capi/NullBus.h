#pragma once

#include "seams/Bus.h"

namespace om6211::capi {

// The port text "null": a serial bus that takes every frame and drops it, for programs that
// measure their own cost or need no glass.
class NullBus final : public Bus {
 public:
  static constexpr const char* PortText = "null";

  void setControlLines(ControlLines) override {}
  void sendFrame(bool, uint8_t, int32_t) override {}
  void flush() override {}
  bool allowsShorterTraffic() const override { return true; }
};

}  // namespace om6211::capi
