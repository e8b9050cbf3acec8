#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "module/PinLevels.h"
#include "ports/ftdi/FtdiDevice.h"
#include "ports/ftdi/FtdiPins.h"
#include "ports/portable/HardwareBus.h"
#include "seams/LineCheck.h"

namespace om6211 {

// The module's serial input on an FTDI adapter's MPSSE: the engine clocks the frames out on
// ADBUS0 (clock, idle high) and ADBUS1 (data, changing on the falling edge, sampled by the
// controller on the rising one) at no more than 4 MHz; reset, backlight and chip select are
// GPIO lines of the low byte, as `pins` wires them.
//
// Frames and line changes are queued as MPSSE commands in one buffer, which keeps their order,
// and written on flush() (and whenever a whole USB transfer's worth is queued). The frames'
// bits run together: whole bytes go out as one "clock bytes out" command, the rest as one
// "clock bits out" command, so a full screen is about 600 bytes in one transfer. The lines
// are written only when they change. Delay counts are ignored: the clock divisor sets the
// pace, and the controller takes any pace up to 4 MHz.
//
// A write that fails leaves the frames' fate unknown and may leave the engine inside a
// command: the bus loses step, and the next command queued first puts the chip into MPSSE mode
// afresh.
class FtdiMpsseBus final : public HardwareBus, public LineCheck {
 public:
  static constexpr uint32_t MaxClockHz = 4'000'000;

  // Puts the opened device into MPSSE mode, the lines at rest. Raises PortOpenError, having
  // closed the device, when the chip has no MPSSE or refuses the set-up.
  FtdiMpsseBus(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins);

  // The clock the engine runs at.
  uint32_t clockHz() const;

  void setControlLines(ControlLines lines) override;
  void sendFrame(bool isData, uint8_t value, int32_t delay) override;
  // Raises PortFailure, naming the failed call, when the adapter did not take the commands;
  // they are dropped either way.
  void flush() override;

  LineCheck* lineCheck() override { return this; }
  std::vector<Line> lines() const override;
  // Clock and data too are plain lines while the engine clocks nothing.
  void drive(std::optional<std::size_t> index) override;

 private:
  // Readies the buffer for more commands: after a failure, MPSSE mode afresh and the set-up.
  void prepare();
  // The clock divisor and modes, not the lines.
  void queueClock();
  void queueLines();
  void endBitRun();
  void sendIfFull();
  [[noreturn]] void fail(const FtdiFailure& failure);

  std::unique_ptr<FtdiDevice> device_;
  FtdiPins pins_;
  uint16_t divisor_ = 0;
  module::PinLevels levels_;
  std::optional<module::PinLevels> queuedLevels_;  // none after a wiring check drove the lines
  bool modeLost_ = false;
  std::vector<uint8_t> commands_;
  std::vector<uint16_t> frames_;  // the bit run not yet in commands_
};

}  // namespace om6211
