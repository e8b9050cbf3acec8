#pragma once

#include <cstdint>
#include <functional>

#include "link/ControllerShadow.h"
#include "seams/Bus.h"

namespace om6211 {

// What the link needs of the configuration: the backlight, which the control lines carry
// between frames.
struct LinkSettings {
  bool backlightOn = false;
};

// The 9-bit serial link to the controller: every byte that reaches the display passes through
// SendCommand (selector bit 0) or SendData (selector bit 1). Before each frame the control lines
// are set as they rest between frames (reset released, the configured backlight).
class SerialLink {
 public:
  // `shadow`, when given, is told every frame sent. A failure the bus absorbed inside a frame
  // makes it forget everything, and from then on this link tells it nothing more; a failure that
  // reaches the caller leaves forgetting to the caller.
  SerialLink(Bus& bus, LinkSettings settings, ControllerShadow* shadow = nullptr)
      : bus_(&bus), settings_(settings), shadow_(shadow) {}

  void SendCommand(uint8_t value, int32_t delay) {
    sendFrame(false, value, delay);
    if (shadow_ != nullptr) shadow_->onCommand(value);
  }
  void SendData(uint8_t value, int32_t delay) {
    sendFrame(true, value, delay);
    if (shadow_ != nullptr) shadow_->onData(value);
  }

  // Sets the control lines as they are, e.g. the reset line low for a reset pulse.
  void setControlLines(Bus::ControlLines lines);
  // Sets the control lines as they rest between frames.
  void holdRestingLines() {
    setControlLines({.resetReleased = true, .backlightOn = settings_.backlightOn});
  }
  // Sends whatever the bus queued: before a pause, and at the end of every call.
  void flush() { bus_->flush(); }
  // Whether a picture may go out in fewer frames than the host interface sends for it.
  bool allowsShorterTraffic() const { return bus_->allowsShorterTraffic(); }

  // Runs `action` once, just before the first frame this link sends (not at all if it sends
  // none): how the driver brings a controller that fell out of step back before it goes on.
  void beforeFirstFrame(std::function<void()> action) { beforeFirstFrame_ = std::move(action); }

 private:
  void sendFrame(bool isData, uint8_t value, int32_t delay);
  void lostTrackOfController();

  Bus* bus_;
  LinkSettings settings_;
  ControllerShadow* shadow_;
  std::function<void()> beforeFirstFrame_;
};

}  // namespace om6211
