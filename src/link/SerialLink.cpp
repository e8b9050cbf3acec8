#include "link/SerialLink.h"

#include <utility>

namespace om6211 {

void SerialLink::lostTrackOfController() {
  if (shadow_ == nullptr) return;
  shadow_->forget();
  shadow_ = nullptr;
}

void SerialLink::setControlLines(Bus::ControlLines lines) {
  bus_->setControlLines(lines);
  // Holding the reset line low resets the controller.
  if (!lines.resetReleased && shadow_ != nullptr) shadow_->forget();
}

void SerialLink::sendFrame(bool isData, uint8_t value, int32_t delay) {
  if (beforeFirstFrame_) std::exchange(beforeFirstFrame_, nullptr)();
  holdRestingLines();
  const uint64_t absorbedBefore = bus_->absorbedFailures().count();
  bus_->sendFrame(isData, value, delay);
  // A frame with an absorbed failure may have reached the controller as something else, and so
  // may every frame after it.
  if (bus_->absorbedFailures().count() != absorbedBefore) lostTrackOfController();
}

}  // namespace om6211
