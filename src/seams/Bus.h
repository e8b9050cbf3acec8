#pragma once

#include <cstdint>

#include "seams/FailureRecord.h"

namespace om6211 {

// The display module's serial input: 9-bit frames (a selector bit, 1 for display data and 0 for
// a command, then eight bits, most significant first) and the control lines held between them.
// A bus may queue frames; whatever it queued goes out before the control lines change, on
// flush(), and in call order.
//
// A bus knows whether the controller is still in step with its frames: a frame cut short after
// at least one clock edge (or a transfer whose fate is unknown) leaves the controller's bit
// counter inside a frame, so every later frame is read shifted until a reset pulse clears it.
class Bus {
 public:
  // The levels held on the module's other inputs.
  struct ControlLines {
    bool resetReleased = true;  // the reset input is active low
    bool backlightOn = false;

    friend bool operator==(const ControlLines&, const ControlLines&) = default;
  };

  // Sets the control lines. A reset pulse (the reset line held low) brings the controller back
  // into step. Raises PortFailure when the lines could not be set.
  virtual void setControlLines(ControlLines lines) = 0;
  // Sends one frame; `delay` is the frame's delay count (units per clock half) where the bus has
  // them. Raises PortFailure when the frame could not be sent; a failure the bus absorbs instead
  // is counted in absorbedFailures().
  virtual void sendFrame(bool isData, uint8_t value, int32_t delay) = 0;
  // Sends whatever is queued. Raises PortFailure when it could not.
  virtual void flush() = 0;
  // Whether the bus may carry a picture in fewer frames than the host interface sends for it.
  // The parallel port may not: its traffic is the host interface's, byte for byte.
  virtual bool allowsShorterTraffic() const { return false; }

  bool inStep() const { return inStep_; }
  // The failures the bus absorbed: none for a bus that raises every failure.
  virtual const FailureRecord& absorbedFailures() const {
    static const FailureRecord none;
    return none;
  }

 protected:
  constexpr Bus() = default;
  Bus(const Bus&) = default;
  Bus& operator=(const Bus&) = default;
  ~Bus() = default;

  void loseStep() { inStep_ = false; }
  void regainStep() { inStep_ = true; }
  // For a bus that passes frames on to `other`: the controller is in step as far as `other`
  // knows.
  void followStepOf(const Bus& other) { inStep_ = other.inStep(); }

 private:
  bool inStep_ = true;
};

}  // namespace om6211
