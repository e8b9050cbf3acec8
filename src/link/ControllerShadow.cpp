#include "link/ControllerShadow.h"

namespace om6211 {
namespace {

// Commands that leave the RAM, its address and the display mode alone: contrast, power and
// supply settings, start line, all-pixels-on and display on/off.
constexpr bool leavesRamAndAddress(uint8_t value) {
  return (value >= 0x20 && value <= 0x9F) || value == 0xA4 || value == 0xA5 || value == 0xAE ||
         value == 0xAF;
}

}  // namespace

void ControllerShadow::onCommand(uint8_t value) {
  if (value <= 0x0F) {
    columnLow_ = value;
  } else if (value <= 0x1F) {
    columnHigh_ = value & 0x0F;
  } else if (value >= 0xB0 && value <= 0xBF) {
    page_ = (value & 0x0F) < Pages ? value & 0x0F : Unknown;
  } else if (value == 0xA6 || value == 0xA7) {
    inverted_ = value == 0xA7;
  } else if (!leavesRamAndAddress(value)) {
    forget();  // a reset, or a command whose effect is not known
  }
}

void ControllerShadow::onData(uint8_t value) {
  const int at = column();
  if (page_ == Unknown || at == Unknown || at >= Columns) {
    forget();  // the byte landed somewhere unknown
    return;
  }
  const auto index = static_cast<std::size_t>(page_ * Columns + at);
  ram_[index] = value;
  known_[index] = true;
  if (at + 1 < Columns) {
    columnHigh_ = (at + 1) / 16;
    columnLow_ = (at + 1) % 16;
  } else {
    // After the last column the controller goes on at column 0 of the next page; past the last
    // page the driver does not rely on where it goes.
    columnHigh_ = 0;
    columnLow_ = 0;
    page_ = page_ + 1 < Pages ? page_ + 1 : Unknown;
  }
}

bool ControllerShadow::knowsRegion(int pages, int columns) const {
  for (int page = 0; page < pages; ++page) {
    for (int column = 0; column < columns; ++column) {
      if (!known_[static_cast<std::size_t>(page * Columns + column)]) return false;
    }
  }
  return true;
}

}  // namespace om6211
