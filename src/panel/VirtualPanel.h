#pragma once

#include <cstdint>

#include "panel/Glass.h"
#include "panel/PanelController.h"
#include "platform/PortIo.h"

namespace om6211::panel {

// A display module on the parallel port, seen from its pins. It takes the register writes the
// port would carry, works out the pin levels from the standard wiring and clocks them into the
// controller model; it never looks at the driver.
//
// Wiring: pin 1 (control bit 0, inverted) is the serial data line and pin 14 (control bit 1,
// inverted) the clock; the controller samples pin 1 on each rising edge of pin 14, and nine
// bits make a frame (data/command bit, then 8 bits, most significant first). Pin 3 (data bit
// 1) held low resets the controller and its bit counter; pins 6-9 (data bits 4-7) light the
// backlight. Other ports, reads included, do not reach the module.
class VirtualPanel final : public PortIo {
 public:
  static constexpr uint32_t DefaultPortBase = 0x378;

  explicit VirtualPanel(uint32_t portBase = DefaultPortBase) : portBase_(portBase) {}

  void write(uint32_t port, uint8_t value) override {
    ++operations_;
    if (port == portBase_ + 2) {
      writeControl(value);
    } else if (port == portBase_) {
      writeData(value);
    }
  }
  uint8_t read(uint32_t) override {
    ++operations_;
    return 0xFF;  // nothing drives the bus there
  }

  PanelController& controller() { return controller_; }
  const PanelController& controller() const { return controller_; }
  Glass glass() const { return controller_.glass(backlight_); }

  bool backlight() const { return backlight_; }
  bool inReset() const { return inReset_; }
  // Bits clocked in towards the next frame (0-8).
  int pendingBits() const { return bitCount_; }
  uint64_t operationCount() const { return operations_; }
  uint64_t frameCount() const { return frames_; }

 private:
  static constexpr uint8_t ClockControlBit = 0x02;
  static constexpr uint8_t DataControlBit = 0x01;
  static constexpr uint8_t ResetDataBit = 0x02;
  static constexpr uint8_t BacklightDataBits = 0xF0;

  void writeControl(uint8_t value) {
    // Pin 14 rises when control bit 1 falls.
    const bool clockRises = (lastControl_ & ClockControlBit) != 0 && (value & ClockControlBit) == 0;
    lastControl_ = value;
    if (!clockRises || inReset_) return;
    const bool bit = (value & DataControlBit) == 0;
    shift_ = static_cast<uint16_t>(shift_ << 1 | (bit ? 1 : 0));
    if (++bitCount_ == 9) {
      ++frames_;
      controller_.receive((shift_ & 0x100) != 0, static_cast<uint8_t>(shift_));
      bitCount_ = 0;
      shift_ = 0;
    }
  }

  void writeData(uint8_t value) {
    backlight_ = (value & BacklightDataBits) != 0;
    inReset_ = (value & ResetDataBit) == 0;
    if (inReset_) {
      controller_.reset();
      bitCount_ = 0;
      shift_ = 0;
    }
  }

  uint32_t portBase_;
  PanelController controller_;
  // The lines start idle: reset released, clock high (control bit 1 clear).
  uint8_t lastControl_ = 0;
  bool inReset_ = false;
  bool backlight_ = false;
  int bitCount_ = 0;
  uint16_t shift_ = 0;
  uint64_t operations_ = 0;
  uint64_t frames_ = 0;
};

}  // namespace om6211::panel
