#include "link/ParallelPortBus.h"

namespace om6211 {
namespace {

// Data register: pins 4 and 5 held high, the reset line (pin 3) and the backlight (pins 6-9).
constexpr uint8_t HeldHigh = 0x0C;
constexpr uint8_t ResetReleased = 0x02;
constexpr uint8_t BacklightOn = 0xF0;

// Control register values of the two halves of a bit.
constexpr uint8_t ZeroFirstHalf = 3;
constexpr uint8_t ZeroSecondHalf = 1;
constexpr uint8_t OneFirstHalf = 2;
constexpr uint8_t OneSecondHalf = 0;

constexpr int FrameBits = 9;

}  // namespace

void ParallelPortBus::setControlLines(ControlLines lines) {
  const uint8_t value = static_cast<uint8_t>(HeldHigh | (lines.resetReleased ? ResetReleased : 0) |
                                             (lines.backlightOn ? BacklightOn : 0));
  port_->write(portBase_, value);
  // Holding the reset line low clears the controller's bit counter.
  if (!lines.resetReleased) regainStep();
}

void ParallelPortBus::flush() {
  try {
    port_->flush();
  } catch (const PortFailure&) {
    loseStep();
    throw;
  }
}

void ParallelPortBus::Delay(int32_t count) {
  for (int32_t unit = 0; unit < count; ++unit) port_->read(DelayPort);
}

void ParallelPortBus::sendFrame(bool isData, uint8_t value, int32_t delay) {
  // The selector bit, then the value's bits from the most significant; one loop keeps the
  // bit loop small, since it runs for every port operation of a refresh.
  const unsigned word = (isData ? 1u << 8 : 0u) | value;
  const uint32_t control = portBase_ + 2;
  int edges = 0;
  for (int bit = FrameBits - 1; bit >= 0; --bit) {
    const bool one = ((word >> bit) & 1u) != 0;
    try {
      port_->write(control, one ? OneFirstHalf : ZeroFirstHalf);
      if (delay > 0) Delay(delay);
      port_->write(control, one ? OneSecondHalf : ZeroSecondHalf);
      ++edges;  // the clock rose: the controller took the bit
      if (delay > 0) Delay(delay);
    } catch (const PortFailure& failure) {
      if (bit != FrameBits - 1) {
        absorbed_.record(failure.what());
        continue;
      }
      if (edges > 0) loseStep();
      throw;
    }
  }
  if (edges != FrameBits) loseStep();
}

}  // namespace om6211
