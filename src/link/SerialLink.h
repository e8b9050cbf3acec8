#pragma once

#include <cstdint>

#include "driver/DriverSettings.h"
#include "platform/PortIo.h"

namespace om6211 {

// Clocks 9-bit frames (selector bit, then eight bits, most significant first) into the
// controller by toggling two control lines of the parallel port.
class SerialLink {
 public:
  // I/O port read once per delay unit; its value is discarded.
  static constexpr uint32_t DelayPort = 0x220;

  constexpr SerialLink(PortIo& port, const DriverSettings& settings)
      : port_(&port), settings_(&settings) {}

  void SendCommand(uint8_t value, int32_t delay) { sendFrame(false, value, delay); }
  void SendData(uint8_t value, int32_t delay) { sendFrame(true, value, delay); }
  void Delay(int32_t count);

  // Writes the data register as it is, without the backlight bits.
  void writeDataRegister(uint8_t value) { port_->write(settings_->PortBase, value); }

 private:
  void sendFrame(bool isData, uint8_t value, int32_t delay);
  void sendBit(bool bit, int32_t delay);

  PortIo* port_;
  const DriverSettings* settings_;
};

}  // namespace om6211
