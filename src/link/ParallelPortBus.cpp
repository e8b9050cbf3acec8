#include "link/ParallelPortBus.h"

#include "module/Db25Wiring.h"
#include "module/SerialFrame.h"

namespace om6211 {

namespace db25 = module::db25;

void ParallelPortBus::setControlLines(ControlLines lines) {
  port_->write(portBase_, db25::dataRegister(lines.resetReleased, lines.backlightOn));
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
  const unsigned word = module::frameWord(isData, value);
  const uint32_t control = portBase_ + 2;
  int edges = 0;
  for (int bit = module::FrameBits - 1; bit >= 0; --bit) {
    const bool one = ((word >> bit) & 1u) != 0;
    try {
      port_->write(control, db25::firstHalf(one));
      if (delay > 0) Delay(delay);
      port_->write(control, db25::secondHalf(one));
      ++edges;  // the clock rose: the controller took the bit
      if (delay > 0) Delay(delay);
    } catch (const PortFailure& failure) {
      if (bit != module::FrameBits - 1) {
        absorbed_.record(failure.what());
        continue;
      }
      if (edges > 0) loseStep();
      throw;
    }
  }
  if (edges != module::FrameBits) loseStep();
}

}  // namespace om6211
