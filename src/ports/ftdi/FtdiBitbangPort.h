#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "module/PinLevels.h"
#include "ports/ftdi/FtdiDevice.h"
#include "ports/ftdi/FtdiPins.h"
#include "ports/portable/HardwarePort.h"
#include "seams/LineCheck.h"

namespace om6211 {

// The driver's parallel port on an FTDI adapter in synchronous bit-bang mode: every port
// operation becomes one pin-state byte on the ADBUS lines, as `pins` wires them.
// - A write of the data register (`portBase`) or the control register (`portBase` + 2) sets
//   the lines as the module's DB-25 wiring does; chip select stays selected.
// - A read of the delay port 220 repeats the current levels: one pin-state period, the time of
//   one bus operation, as a delay unit is on the parallel port.
// Bytes are queued and sent on flush(), and whenever a whole USB transfer's worth is queued,
// so a call costs as few transfers as the transport's transfer size allows. A transfer that fails
// is reported by the next flush(), since the writes it lost came before the one at hand; the
// writes up to then are dropped.
class FtdiBitbangPort final : public HardwarePort, public LineCheck {
 public:
  // Puts the opened device into synchronous bit-bang mode. Raises PortOpenError, having closed
  // the device, when the chip has no such mode or refuses it.
  FtdiBitbangPort(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins, uint32_t portBase);

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;
  // Raises PortFailure, naming the failed call, when the adapter did not take the bytes; they
  // are dropped either way.
  void flush() override;

  LineCheck* lineCheck() override { return this; }
  std::vector<Line> lines() const override;
  void drive(std::optional<std::size_t> index) override;

 private:
  void queue(uint8_t pinState);
  void send();
  // Raises PortFailure for an address the adapter does not carry, touching nothing.
  [[noreturn]] void refuseAddress(const char* access, uint32_t port);

  std::unique_ptr<FtdiDevice> device_;
  FtdiPins pins_;
  module::PinLevels levels_;
  std::vector<uint8_t> queued_;
  std::optional<FtdiFailure> failure_;
};

}  // namespace om6211
