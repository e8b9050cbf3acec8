#include "ports/ftdi/FtdiMpsseBus.h"

#include "module/SerialFrame.h"
#include "ports/ftdi/FtdiErrors.h"
#include "ports/ftdi/FtdiMpsseEncoder.h"
#include "ports/ftdi/FtdiWiring.h"
#include "ports/portable/CleanStart.h"

namespace om6211 {

FtdiMpsseBus::FtdiMpsseBus(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins)
    : HardwareBus(device->name()), device_(std::move(device)), pins_(pins) {
  const uint32_t base = traitsOf(device_->chip()).mpsseClockHz;
  if (base == 0) device_->refuseMode("MPSSE");
  divisor_ = mpsse::clockDivisor(base, MaxClockHz);
  if (auto failure = device_->enterMode(FtdiBitmode::Mpsse, pins_.outputs())) {
    device_->refuseOpening(*failure);
  }
  queueClock();
  // The lines were inputs until now: they go to rest without a clock edge outside reset.
  for (const module::PinLevels& step : CleanStartSteps) {
    levels_ = step;
    queueLines();
  }
  const auto failure = device_->send(commands_);
  commands_.clear();
  if (failure) device_->refuseOpening(*failure);
}

uint32_t FtdiMpsseBus::clockHz() const {
  return mpsse::clockHz(traitsOf(device_->chip()).mpsseClockHz, divisor_);
}

void FtdiMpsseBus::queueClock() {
  mpsse::appendSetup(commands_, traitsOf(device_->chip()).mpsseClockHz, divisor_);
}

void FtdiMpsseBus::queueLines() {
  mpsse::appendSetLowByte(commands_, pins_.byteFor(levels_), pins_.outputs());
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
  frames_.push_back(module::frameWord(isData, value));
  sendIfFull();
}

void FtdiMpsseBus::endBitRun() {
  mpsse::appendFrames(commands_, frames_);
  frames_.clear();
}

void FtdiMpsseBus::sendIfFull() {
  // Ending the bit run adds at most 6 bytes of commands, and the next frame or line change at
  // most 3 more: what goes out stays within one USB transfer.
  if (commands_.size() + mpsse::packedSize(frames_.size()) + 9 > device_->chunkSize()) flush();
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
  frames_.clear();
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
  mpsse::appendSetLowByte(commands_, ftdiCheckByte(pins_, name(), index), pins_.outputs());
  queuedLevels_.reset();
  flush();
}

}  // namespace om6211
