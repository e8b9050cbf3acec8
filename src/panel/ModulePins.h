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
    setControl(pins.resetReleased, pins.backlight, pins.chipSelected);
    setSerial(pins.clock, pins.data);
  }
  // The lines held between frames.
  void setControl(bool resetReleased, bool backlight, bool chipSelected = true) {
    backlight_ = backlight;
    inReset_ = !resetReleased;
    selected_ = chipSelected;
    if (!inReset_) return;
    controller_.reset();
    bitCount_ = 0;
    shift_ = 0;
  }
  // The serial lines: a rising clock takes the data bit.
  void setSerial(bool clock, bool data) {
    const bool clockRises = !clock_ && clock;
    clock_ = clock;
    if (!clockRises || inReset_ || !selected_) return;
    ++clockEdges_;
    shift_ = static_cast<uint16_t>(shift_ << 1 | (data ? 1 : 0));
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
  bool selected_ = true;
  bool backlight_ = false;
  int bitCount_ = 0;
  uint16_t shift_ = 0;
  uint64_t frames_ = 0;
  uint64_t clockEdges_ = 0;
};

}  // namespace om6211::panel
