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

void ParallelPortBus::sendBit(bool bit, int32_t delay, int& edges) {
  const uint32_t control = portBase_ + 2;
  port_->write(control, bit ? OneFirstHalf : ZeroFirstHalf);
  Delay(delay);
  port_->write(control, bit ? OneSecondHalf : ZeroSecondHalf);
  ++edges;  // the clock rose: the controller took the bit
  Delay(delay);
}

void ParallelPortBus::sendFrame(bool isData, uint8_t value, int32_t delay) {
  int edges = 0;
  try {
    sendBit(isData, delay, edges);
  } catch (const PortFailure&) {
    if (edges > 0) loseStep();
    throw;
  }
  for (int bit = 7; bit >= 0; --bit) {
    try {
      sendBit((value >> bit) & 1, delay, edges);
    } catch (const PortFailure& failure) {
      absorb(failure.what());
    }
  }
  if (edges != FrameBits) loseStep();
}

}  // namespace om6211
