#pragma once

#include <cstdint>

#include "seams/Bus.h"
#include "seams/PortIo.h"

namespace om6211 {

// Clocks frames into the module by toggling two control lines of a PC parallel port, and holds
// the reset and backlight lines on its data register (written before every frame), as the DB-25
// wiring (module/Db25Wiring.h) places them: each bit is two control-register writes, the second
// raising the clock, when the controller samples the data line.
// Port operations happen in call order; a port that queues them sends them on flush().
class ParallelPortBus final : public Bus {
 public:
  // I/O port read once per delay unit; its value is discarded.
  static constexpr uint32_t DelayPort = 0x220;

  constexpr ParallelPortBus() = default;
  ParallelPortBus(PortIo& port, uint32_t portBase) { bind(port, portBase); }

  // The port the bus drives and its data register.
  void bind(PortIo& port, uint32_t portBase) {
    port_ = &port;
    portBase_ = portBase;
  }

  void setControlLines(ControlLines lines) override;
  // The frame is 18 control-register writes, each followed by `delay` delay units. A failing
  // port inside one of the eight value bits abandons only the rest of that bit: the failure is
  // absorbed and the frame goes on with the next bit, carrying whatever levels the port last
  // held. A failure in the selector bit reaches the caller. Either way a frame that got some
  // but not all of its nine clock edges leaves the controller out of step.
  void sendFrame(bool isData, uint8_t value, int32_t delay) override;
  // Sends what the port queued; a failure there leaves the frames' fate unknown.
  void flush() override;

  const FailureRecord& absorbedFailures() const override { return absorbed_; }

  // Performs `count` delay units; a count of 0 or less performs none.
  void Delay(int32_t count);

 private:
  FailureRecord absorbed_;
  PortIo* port_ = nullptr;
  uint32_t portBase_ = 0x378;
};

}  // namespace om6211
