#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ports/ftdi/FtdiPins.h"
#include "ports/ftdi/FtdiDevice.h"
#include "ports/portable/HardwarePort.h"
#include "seams/LineCheck.h"

namespace om6211 {

// The driver's parallel port on an FTDI adapter in synchronous bit-bang mode: every port
// operation becomes one pin-state byte on the ADBUS lines, as `pins` wires them.
// - A write of the data register (`portBase`) sets reset (bit 1), chip select (bit 0) and the
//   backlight (any of bits 4-7); a write of the control register (`portBase` + 2) sets the data
//   line (bit 0) and the clock (bit 1), both inverted, as at the parallel port's pins.
// - A read of the delay port 220 repeats the current levels: one pin-state period, the time of
//   one bus operation, as a delay unit is on the parallel port.
// Bytes are queued and sent on flush(), and whenever a whole USB transfer's worth is queued,
// so a call costs as few transfers as libftdi's transfer size allows. A transfer that fails
// is reported by the next flush(), since the writes it lost came before the one at hand; the
// writes up to then are dropped.
class FtdiBitbangPort final : public HardwarePort, public LineCheck {
 public:
  // Puts the opened device into synchronous bit-bang mode. Raises PortOpenError, having closed
  // the device, when the chip has no such mode or refuses it.
  FtdiBitbangPort(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins, uint32_t portBase);

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;
  // Raises PortFailure, naming the libftdi call, when the adapter did not take the bytes; they
  // are dropped either way.
  void flush() override;

  LineCheck* lineCheck() override { return this; }
  std::vector<Line> lines() const override;
  void drive(std::optional<std::size_t> index) override;

 private:
  void queue();
  void send();
  // Raises PortFailure for an address the adapter does not carry, touching nothing.
  [[noreturn]] void refuseAddress(const char* access, uint32_t port);

  std::unique_ptr<FtdiDevice> device_;
  FtdiPins pins_;
  FtdiLevels levels_;
  std::vector<uint8_t> queued_;
  std::optional<FtdiFailure> failure_;
};

}  // namespace om6211
