#pragma once

#include <cstdint>

#include "panel/Glass.h"
#include "panel/PanelController.h"

namespace om6211::panel {

// The levels on the module's inputs.
struct PinLevels {
  bool data = false;
  bool clock = true;  // idles high between frames
  bool resetReleased = true;
  bool backlight = false;
  bool chipSelected = true;  // chip select low
};

// The display module seen from its pins: the controller samples the data line on each rising
// edge of the clock while it is selected, and nine bits make a frame (data/command bit, then
// 8 bits, most significant first). The reset line held low resets the controller and its bit
// counter. A deselected chip ignores the clock; a frame in progress stays where it was, since
// the driver never counts on chip select to end one.
class ModulePins {
 public:
  void set(PinLevels pins) {
    const bool clockRises = !clock_ && pins.clock;
    clock_ = pins.clock;
    backlight_ = pins.backlight;
    inReset_ = !pins.resetReleased;
    if (inReset_) controller_.reset();
    if (inReset_) {
      bitCount_ = 0;
      shift_ = 0;
      return;
    }
    if (!clockRises || !pins.chipSelected) return;
    ++clockEdges_;
    shift_ = static_cast<uint16_t>(shift_ << 1 | (pins.data ? 1 : 0));
    if (++bitCount_ == 9) {
      ++frames_;
      controller_.receive((shift_ & 0x100) != 0, static_cast<uint8_t>(shift_));
      bitCount_ = 0;
      shift_ = 0;
    }
  }

  PanelController& controller() { return controller_; }
  const PanelController& controller() const { return controller_; }
  Glass glass() const { return controller_.glass(backlight_); }

  bool backlight() const { return backlight_; }
  bool inReset() const { return inReset_; }
  // Bits clocked in towards the next frame (0-8).
  int pendingBits() const { return bitCount_; }
  uint64_t frameCount() const { return frames_; }
  // Bits the controller took: the bits on the serial line.
  uint64_t clockEdges() const { return clockEdges_; }

 private:
  PanelController controller_;
  bool clock_ = true;
  bool inReset_ = false;
  bool backlight_ = false;
  int bitCount_ = 0;
  uint16_t shift_ = 0;
  uint64_t frames_ = 0;
  uint64_t clockEdges_ = 0;
};

}  // namespace om6211::panel
