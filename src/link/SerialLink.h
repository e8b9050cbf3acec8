#pragma once

#include <cstdint>

#include "link/ControllerShadow.h"
#include "platform/PortIo.h"

namespace om6211 {

// What the link needs of the configuration: where the port is and the backlight bits that
// every data-register byte carries.
struct LinkSettings {
  uint32_t portBase = 0x378;  // data register; the control register is portBase + 2
  uint8_t backlightBits = 0;  // 0xF0 with the backlight on
};

// Clocks 9-bit frames (selector bit, then eight bits, most significant first) into the
// controller by toggling two control lines of the parallel port.
class SerialLink {
 public:
  // I/O port read once per delay unit; its value is discarded.
  static constexpr uint32_t DelayPort = 0x220;

  // `shadow`, when given, is told every frame sent. A failure absorbed inside a value bit makes
  // it forget everything, and from then on this link tells it nothing more; a failure that
  // reaches the caller leaves forgetting to the caller.
  constexpr SerialLink(PortIo& port, LinkSettings settings, ControllerShadow* shadow = nullptr)
      : port_(&port), settings_(settings), shadow_(shadow) {}

  void SendCommand(uint8_t value, int32_t delay) {
    sendFrame(false, value, delay);
    if (shadow_ != nullptr) shadow_->onCommand(value);
  }
  void SendData(uint8_t value, int32_t delay) {
    sendFrame(true, value, delay);
    if (shadow_ != nullptr) shadow_->onData(value);
  }
  void Delay(int32_t count);

  // Writes the data register as it is, without the backlight bits.
  void writeDataRegister(uint8_t value);
  // Writes the data register as it rests between frames: reset released, the backlight bits.
  void writeRestingLines();

 private:
  void sendFrame(bool isData, uint8_t value, int32_t delay);
  void sendBit(bool bit, int32_t delay);
  void lostTrackOfController();

  PortIo* port_;
  LinkSettings settings_;
  ControllerShadow* shadow_;
};

}  // namespace om6211
