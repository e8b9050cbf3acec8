#pragma once

#include <cstdint>

namespace om6211 {

// The configuration call's arguments other than the port text, decoded from their slots.
struct IoProperties {
  int32_t addressDelay = 0;
  int32_t busDelay = 0;
  int32_t textColumns = 0;
  int32_t textRows = 0;
  int32_t graphicsWidth = 0;
  int32_t graphicsHeight = 0;
  bool backlight = false;
  bool contrastOn = false;
  uint8_t contrastValue = 0;
};

// A geometry request of zero, below it or above the maximum gives the maximum.
constexpr int32_t clampedGeometry(int32_t requested, int32_t maximum) {
  return requested <= 0 || requested > maximum ? maximum : requested;
}

}  // namespace om6211
