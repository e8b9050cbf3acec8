#include "link/SerialLink.h"

namespace om6211 {
namespace {

// Control-register values. Bit 0 drives the data line inverted, bit 1 the clock inverted: the
// controller samples the data line when the second half of a bit raises the clock.
constexpr uint8_t DataRegisterIdle = 0x0E;  // reset high, pins 4 and 5 high
constexpr uint8_t ResetHigh = 0x02;         // data bit 1: the reset line, active low
constexpr uint8_t ZeroFirstHalf = 3;
constexpr uint8_t ZeroSecondHalf = 1;
constexpr uint8_t OneFirstHalf = 2;
constexpr uint8_t OneSecondHalf = 0;

}  // namespace

void SerialLink::lostTrackOfController() {
  if (shadow_ == nullptr) return;
  shadow_->forget();
  shadow_ = nullptr;
}

void SerialLink::Delay(int32_t count) {
  for (int32_t unit = 0; unit < count; ++unit) port_->read(DelayPort);
}

void SerialLink::writeDataRegister(uint8_t value) {
  port_->write(settings_.portBase, value);
  // Holding the reset line low resets the controller.
  if ((value & ResetHigh) == 0 && shadow_ != nullptr) shadow_->forget();
}

void SerialLink::writeRestingLines() {
  writeDataRegister(static_cast<uint8_t>(settings_.backlightBits + DataRegisterIdle));
}

void SerialLink::sendBit(bool bit, int32_t delay) {
  const uint32_t control = settings_.portBase + 2;
  port_->write(control, bit ? OneFirstHalf : ZeroFirstHalf);
  Delay(delay);
  port_->write(control, bit ? OneSecondHalf : ZeroSecondHalf);
  Delay(delay);
}

void SerialLink::sendFrame(bool isData, uint8_t value, int32_t delay) {
  writeRestingLines();
  sendBit(isData, delay);
  for (int bit = 7; bit >= 0; --bit) {
    // A failing port abandons only the rest of this bit; the frame goes on with the next one,
    // but what the controller made of it is no longer known.
    try {
      sendBit((value >> bit) & 1, delay);
    } catch (const PortFailure&) {
      lostTrackOfController();
    }
  }
}

}  // namespace om6211
