#pragma once

#include <cstdint>

namespace om6211::command {

// Controller commands whose parameter the driver computes.
constexpr uint8_t pageAddress(int32_t page) {
  return static_cast<uint8_t>(0xB0 + page);
}
constexpr uint8_t columnHigh(int32_t pixelColumn) {
  return static_cast<uint8_t>(0x10 + pixelColumn / 16);
}
constexpr uint8_t columnLow(int32_t pixelColumn) {
  return static_cast<uint8_t>(pixelColumn % 16);
}

constexpr uint8_t ContrastOff = 0x20;
constexpr uint8_t ContrastOn = 0x22;
constexpr uint8_t contrastLevel(uint8_t level) {
  return static_cast<uint8_t>(0x80 + level / 8);
}

constexpr uint8_t NormalDisplay = 0xA6;
constexpr uint8_t InvertedDisplay = 0xA7;
constexpr uint8_t DisplayOff = 0xAE;
constexpr uint8_t DisplayOn = 0xAF;

}  // namespace om6211::command
