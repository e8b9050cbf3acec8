#pragma once

#include <array>
#include <optional>
#include <vector>

#include "module/PinLevels.h"
#include "ports/linux/GpioLines.h"
#include "ports/linux/GpioWiring.h"
#include "ports/portable/HardwarePort.h"

namespace om6211 {

// The module's lines on GPIO lines of one chip, driven as the parallel-port wiring would drive
// its pins: the driver's register writes are turned into the module's pin levels by the DB-25
// wiring (module/Db25Wiring.h; chip select, not on it, stays low), and each write that changes
// a level sets the changed lines in one call. A write that changes none costs nothing.
//
// The delay unit, which is a port read on the parallel port, is one read of the line levels
// here (about a microsecond), so that a bus delay still slows the clock down for a long cable.
class GpioPort final : public HardwarePort, public LineCheck {
 public:
  // Raises PortOpenError, leaving nothing claimed, when the lines cannot be had.
  GpioPort(const GpioWiring& wiring, uint32_t portBase, SystemCalls& calls);

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;

  LineCheck* lineCheck() override { return this; }
  std::vector<Line> lines() const override;
  void drive(std::optional<std::size_t> index) override;

 private:
  // The module's inputs in the order they are requested; absent ones are not requested.
  enum Signal : uint8_t { Data, Clock, Reset, Backlight, ChipSelect, SignalCount };

  // The levels `pins` put on the requested lines.
  uint64_t levelsOf(const module::PinLevels& pins) const;
  void setLevels(uint64_t levels, uint64_t mask, const char* call);

  std::array<std::optional<uint32_t>, SignalCount> offsets_;
  std::array<uint64_t, SignalCount> bits_{};  // each signal's bit in the request, 0 if absent
  // The pins as the register writes left them; opening brings them to rest between frames.
  module::PinLevels pins_;
  GpioLines lines_;
};

}  // namespace om6211
