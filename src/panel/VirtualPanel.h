#pragma once

#include <cstdint>

#include "panel/Glass.h"
#include "panel/ModulePins.h"
#include "panel/PanelController.h"
#include "seams/PortIo.h"

namespace om6211::panel {

// A display module on the parallel port, seen from its pins. It takes the register writes the
// port would carry, works out the pin levels from the standard wiring and clocks them into the
// module's pins; it never looks at the driver.
//
// Wiring: pin 1 (control bit 0, inverted) is the serial data line and pin 14 (control bit 1,
// inverted) the clock; pin 3 (data bit 1) is the reset line and pins 6-9 (data bits 4-7) light
// the backlight; chip select is held low. Other ports, reads included, do not reach the module.
// This decoding is the panel's own, not the one the back ends share (module/Db25Wiring.h), on
// purpose: the panel judges what they put on the wire.
class VirtualPanel final : public PortIo {
 public:
  static constexpr uint32_t DefaultPortBase = 0x378;

  explicit VirtualPanel(uint32_t portBase = DefaultPortBase) : portBase_(portBase) {}

  void write(uint32_t port, uint8_t value) override {
    ++operations_;
    if (port == portBase_ + 2) {
      pins_.setSerial((value & ClockControlBit) == 0, (value & DataControlBit) == 0);
    } else if (port == portBase_) {
      pins_.setControl((value & ResetDataBit) != 0, (value & BacklightDataBits) != 0);
    }
  }
  uint8_t read(uint32_t) override {
    ++operations_;
    return 0xFF;  // nothing drives the bus there
  }

  PanelController& controller() { return pins_.controller(); }
  const PanelController& controller() const { return pins_.controller(); }
  Glass glass() const { return pins_.glass(); }

  bool backlight() const { return pins_.backlight(); }
  bool inReset() const { return pins_.inReset(); }
  // Bits clocked in towards the next frame (0-8).
  int pendingBits() const { return pins_.pendingBits(); }
  uint64_t operationCount() const { return operations_; }
  uint64_t frameCount() const { return pins_.frameCount(); }

 private:
  static constexpr uint8_t ClockControlBit = 0x02;
  static constexpr uint8_t DataControlBit = 0x01;
  static constexpr uint8_t ResetDataBit = 0x02;
  static constexpr uint8_t BacklightDataBits = 0xF0;

  uint32_t portBase_;
  // The lines start idle: reset released, clock high (control bit 1 clear).
  ModulePins pins_;
  uint64_t operations_ = 0;
};

}  // namespace om6211::panel
