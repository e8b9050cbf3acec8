#include "ports/ftdi/FtdiMpsseBus.h"

#include <algorithm>

#include "ports/ftdi/FtdiErrors.h"
#include "ports/ftdi/FtdiWiring.h"
#include "seams/PortIo.h"

namespace om6211 {
namespace {

// MPSSE commands.
constexpr uint8_t ClockBytesOutFalling = 0x11;  // most significant bit first
constexpr uint8_t ClockBitsOutFalling = 0x13;
constexpr uint8_t SetLowByte = 0x80;  // value, direction
constexpr uint8_t LoopbackOff = 0x85;
constexpr uint8_t SetDivisor = 0x86;  // low byte, high byte
constexpr uint8_t DivideBy5Off = 0x8A;
constexpr uint8_t ThreePhaseOff = 0x8D;
constexpr uint8_t AdaptiveClockOff = 0x97;

constexpr std::size_t MaxBytesPerCommand = 65536;

}  // namespace

FtdiMpsseBus::FtdiMpsseBus(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins)
    : HardwareBus(device->name()), device_(std::move(device)), pins_(pins) {
  const uint32_t base = traitsOf(device_->chip()).mpsseClockHz;
  if (base == 0) throw ftdiModeError(name(), device_->chip(), "MPSSE");
  // clock = base / ((1 + divisor) * 2), at most MaxClockHz.
  divisor_ = static_cast<uint16_t>((base + 2 * MaxClockHz - 1) / (2 * MaxClockHz) - 1);
  if (auto failure = device_->enterMode(FtdiBitmode::Mpsse, pins_.outputs())) {
    device_->refuseOpening(*failure);
  }
  queueClock();
  // The lines were inputs until now: they go to rest without a clock edge outside reset.
  for (const FtdiLevels& step : CleanStartSteps) {
    levels_ = step;
    queueLines();
  }
  const auto failure = device_->send(commands_);
  commands_.clear();
  if (failure) device_->refuseOpening(*failure);
}

uint32_t FtdiMpsseBus::clockHz() const {
  return traitsOf(device_->chip()).mpsseClockHz / ((1u + divisor_) * 2u);
}

void FtdiMpsseBus::queueClock() {
  if (traitsOf(device_->chip()).mpsseClockHz == 60'000'000) {
    commands_.insert(commands_.end(), {DivideBy5Off, AdaptiveClockOff, ThreePhaseOff});
  }
  commands_.insert(commands_.end(), {LoopbackOff, SetDivisor, static_cast<uint8_t>(divisor_),
                                     static_cast<uint8_t>(divisor_ >> 8)});
}

void FtdiMpsseBus::queueLines() {
  commands_.insert(commands_.end(), {SetLowByte, pins_.byteFor(levels_), pins_.outputs()});
  queuedLevels_ = levels_;
}

void FtdiMpsseBus::prepare() {
  if (!modeLost_) return;
  if (auto failure = device_->enterMode(FtdiBitmode::Mpsse, pins_.outputs())) fail(*failure);
  modeLost_ = false;
  queueClock();
  queueLines();
}

void FtdiMpsseBus::setControlLines(ControlLines lines) {
  prepare();
  levels_.resetReleased = lines.resetReleased;
  levels_.backlightOn = lines.backlightOn;
  if (levels_ != queuedLevels_) {
    endBitRun();
    queueLines();
  }
  // Holding the reset line low clears the controller's bit counter.
  if (!lines.resetReleased) regainStep();
  sendIfFull();
}

void FtdiMpsseBus::sendFrame(bool isData, uint8_t value, int32_t) {
  prepare();
  const unsigned word = (isData ? 0x100u : 0u) | value;
  for (int bit = 8; bit >= 0; --bit) {
    if (bitCount_ % 8 == 0) bits_.push_back(0);
    if ((word >> bit) & 1u) bits_.back() |= static_cast<uint8_t>(0x80u >> (bitCount_ % 8));
    ++bitCount_;
  }
  sendIfFull();
}

void FtdiMpsseBus::endBitRun() {
  const std::size_t whole = static_cast<std::size_t>(bitCount_ / 8);
  for (std::size_t start = 0; start < whole; start += MaxBytesPerCommand) {
    const std::size_t count = std::min(MaxBytesPerCommand, whole - start);
    commands_.insert(commands_.end(), {ClockBytesOutFalling, static_cast<uint8_t>(count - 1),
                                       static_cast<uint8_t>((count - 1) >> 8)});
    commands_.insert(commands_.end(), bits_.begin() + static_cast<std::ptrdiff_t>(start),
                     bits_.begin() + static_cast<std::ptrdiff_t>(start + count));
  }
  if (const int rest = bitCount_ % 8; rest != 0) {
    commands_.insert(commands_.end(),
                     {ClockBitsOutFalling, static_cast<uint8_t>(rest - 1), bits_.back()});
  }
  bits_.clear();
  bitCount_ = 0;
}

void FtdiMpsseBus::sendIfFull() {
  // Ending the bit run adds at most 6 bytes of commands, and the next frame or line change at
  // most 3 more: what goes out stays within one USB transfer.
  if (commands_.size() + bits_.size() + 9 > device_->chunkSize()) flush();
}

void FtdiMpsseBus::flush() {
  endBitRun();
  if (commands_.empty()) return;
  const auto failure = device_->send(commands_);
  commands_.clear();
  if (failure) fail(*failure);
}

void FtdiMpsseBus::fail(const FtdiFailure& failure) {
  commands_.clear();
  bits_.clear();
  bitCount_ = 0;
  modeLost_ = true;
  loseStep();
  // libftdi does not tell a vanished adapter from one that stopped answering: either is
  // reopened.
  Hardware::fail(ftdiFailureMessage(name(), failure.call, failure.message), true);
}

std::vector<LineCheck::Line> FtdiMpsseBus::lines() const {
  return linesOf(ftdiWiredLines(pins_, name()));
}

void FtdiMpsseBus::drive(std::optional<std::size_t> index) {
  prepare();
  endBitRun();
  commands_.insert(commands_.end(),
                   {SetLowByte, ftdiCheckByte(pins_, name(), index), pins_.outputs()});
  queuedLevels_.reset();
  flush();
}

}  // namespace om6211
