#include "ports/linux/GpioPort.h"

#include <cerrno>

#include "module/Db25Wiring.h"
#include "ports/portable/CleanStart.h"

namespace om6211 {
namespace {

// In the order of the signals' offsets.
constexpr LineCheck::Signal SignalNames[] = {LineCheck::Data, LineCheck::Clock, LineCheck::Reset,
                                             LineCheck::Backlight, LineCheck::ChipSelect};

std::array<std::optional<uint32_t>, 5> offsetsOf(const GpioWiring& wiring) {
  return {wiring.data, wiring.clock, wiring.reset, wiring.backlight, wiring.chipSelect};
}

std::vector<uint32_t> requested(const std::array<std::optional<uint32_t>, 5>& offsets) {
  std::vector<uint32_t> lines;
  for (const auto& offset : offsets) {
    if (offset) lines.push_back(*offset);
  }
  return lines;
}

std::array<uint64_t, 5> bitsOf(const std::array<std::optional<uint32_t>, 5>& offsets) {
  std::array<uint64_t, 5> bits{};
  int next = 0;
  for (std::size_t signal = 0; signal < offsets.size(); ++signal) {
    if (offsets[signal]) bits[signal] = uint64_t{1} << next++;
  }
  return bits;
}

}  // namespace

GpioPort::GpioPort(const GpioWiring& wiring, uint32_t portBase, SystemCalls& calls)
    : HardwarePort(wiring.chip, portBase),
      offsets_(offsetsOf(wiring)),
      bits_(bitsOf(offsets_)),
      lines_(wiring.chip, requested(offsets_), levelsOf(CleanStartSteps.front()), calls) {
  // Requested with reset asserted and the clock low; the clock rises under reset, then reset is
  // released.
  for (std::size_t step = 1; step < CleanStartSteps.size(); ++step) {
    const uint64_t levels = levelsOf(CleanStartSteps[step]);
    if (const int error = lines_.set(levels, levels ^ lines_.levels()); error != 0) {
      throw portOpenError(name(), "GPIO_V2_LINE_SET_VALUES_IOCTL", error, DeviceKind::GpioChip);
    }
  }
}

uint64_t GpioPort::levelsOf(const module::PinLevels& pins) const {
  uint64_t levels = 0;
  if (pins.data) levels |= bits_[Data];
  if (pins.clock) levels |= bits_[Clock];
  if (pins.resetReleased) levels |= bits_[Reset];
  if (pins.backlightOn) levels |= bits_[Backlight];
  if (!pins.chipSelected) levels |= bits_[ChipSelect];  // the input is active low
  return levels;
}

void GpioPort::setLevels(uint64_t levels, uint64_t mask, const char* call) {
  if (const int error = lines_.set(levels, mask); error != 0) {
    fail(portFailureMessage(name(), call, error), meansDeviceLost(error));
  }
}

void GpioPort::write(uint32_t port, uint8_t value) {
  module::PinLevels pins = pins_;
  if (port == portBase()) {
    module::db25::applyDataRegister(value, pins);
  } else if (port == portBase() + 2) {
    module::db25::applyControlRegister(value, pins);
  } else {
    refuse("write to", port);
  }
  const uint64_t levels = levelsOf(pins);
  setLevels(levels, levels ^ lines_.levels(), "GPIO_V2_LINE_SET_VALUES_IOCTL");
  pins_ = pins;  // a failure leaves the lines, and so the pins, as they were
}

uint8_t GpioPort::read(uint32_t port) {
  if (port != DelayPort && port != portBase() + 1) refuse("read of", port);
  if (const int error = lines_.read(); error != 0) {
    fail(portFailureMessage(name(), "GPIO_V2_LINE_GET_VALUES_IOCTL", error),
         meansDeviceLost(error));
  }
  return 0x7F;  // no status register here: what a port with nothing on its status pins reads
}

std::vector<LineCheck::Line> GpioPort::lines() const {
  std::vector<Line> lines;
  for (std::size_t signal = 0; signal < offsets_.size(); ++signal) {
    if (!offsets_[signal]) continue;
    lines.push_back({SignalNames[signal].signal,
                     "line " + std::to_string(*offsets_[signal]) + " of " + name(),
                     SignalNames[signal].module});
  }
  return lines;
}

void GpioPort::drive(std::optional<std::size_t> index) {
  const uint64_t levels = index ? uint64_t{1} << *index : 0;
  setLevels(levels, ~uint64_t{0}, "GPIO_V2_LINE_SET_VALUES_IOCTL");
}

}  // namespace om6211
