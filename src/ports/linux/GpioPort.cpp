#include "ports/linux/GpioPort.h"

#include <cerrno>

namespace om6211 {
namespace {

// The registers' bits that reach the module's pins on the parallel-port wiring.
constexpr uint8_t DataControlBit = 0x01;   // pin 1, inverted
constexpr uint8_t ClockControlBit = 0x02;  // pin 14, inverted
constexpr uint8_t ResetDataBit = 0x02;     // pin 3
constexpr uint8_t BacklightDataBits = 0xF0;
// The data register as the lines rest between frames: reset released, chip select low.
constexpr uint8_t RestingData = 0x0E;

// In the order of the signals' offsets.
constexpr LineCheck::Signal SignalNames[] = {LineCheck::Data, LineCheck::Clock, LineCheck::Reset,
                                             LineCheck::Backlight, LineCheck::ChipSelect};

std::array<std::optional<uint32_t>, 5> offsetsOf(const PortSelection& selection) {
  auto offset = [](const std::optional<GpioLine>& line) -> std::optional<uint32_t> {
    if (!line) return std::nullopt;
    return line->offset;
  };
  return {offset(selection.data), offset(selection.clock), offset(selection.reset),
          offset(selection.backlight), offset(selection.chipSelect)};
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

GpioPort::GpioPort(const PortSelection& selection, uint32_t portBase, SystemCalls& calls)
    : HardwarePort(selection.device, portBase),
      offsets_(offsetsOf(selection)),
      bits_(bitsOf(offsets_)),
      lines_(selection.device, requested(offsets_), levelsOfRegisters(), calls) {
  // Requested with reset asserted and the clock low; the clock rises under reset, then reset is
  // released: no step both raises the clock and changes data or reset.
  for (const int data : {RestingData & ~ResetDataBit, int{RestingData}}) {
    data_ = static_cast<uint8_t>(data);
    control_ = 0x00;
    const uint64_t levels = levelsOfRegisters();
    if (const int error = lines_.set(levels, levels ^ lines_.levels()); error != 0) {
      throw portOpenError(name(), "GPIO_V2_LINE_SET_VALUES_IOCTL", error, DeviceKind::GpioChip);
    }
  }
}

uint64_t GpioPort::levelsOfRegisters() const {
  uint64_t levels = 0;
  if ((control_ & DataControlBit) == 0) levels |= bits_[Data];
  if ((control_ & ClockControlBit) == 0) levels |= bits_[Clock];
  if ((data_ & ResetDataBit) != 0) levels |= bits_[Reset];
  if ((data_ & BacklightDataBits) != 0) levels |= bits_[Backlight];
  return levels;  // chip select stays low
}

void GpioPort::setLevels(uint64_t levels, uint64_t mask, const char* call) {
  if (const int error = lines_.set(levels, mask); error != 0) {
    fail(portFailureMessage(name(), call, error), meansDeviceLost(error));
  }
}

void GpioPort::write(uint32_t port, uint8_t value) {
  const uint8_t data = data_;
  const uint8_t control = control_;
  if (port == portBase()) {
    data_ = value;
  } else if (port == portBase() + 2) {
    control_ = value;
  } else {
    refuse("write to", port);
  }
  const uint64_t levels = levelsOfRegisters();
  try {
    setLevels(levels, levels ^ lines_.levels(), "GPIO_V2_LINE_SET_VALUES_IOCTL");
  } catch (const PortFailure&) {
    // The lines kept their levels: so do the registers they stand for.
    data_ = data;
    control_ = control;
    throw;
  }
}

uint8_t GpioPort::read(uint32_t port) {
  if (port != DelayPort && port != portBase() + 1) refuse("read of", port);
  if (const int error = lines_.read(); error != 0) {
    fail(portFailureMessage(name(), "GPIO_V2_LINE_GET_VALUES_IOCTL", error),
         meansDeviceLost(error));
  }
  return 0x7F;  // the status register of a port with nothing on its status pins
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
