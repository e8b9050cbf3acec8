#include "ports/ftdi/FtdiBitbangPort.h"

#include <cstdio>
#include <utility>

#include "ports/ftdi/FtdiBitbangEncoder.h"
#include "ports/ftdi/FtdiErrors.h"
#include "ports/ftdi/FtdiWiring.h"
#include "ports/portable/CleanStart.h"

namespace om6211 {

FtdiBitbangPort::FtdiBitbangPort(std::unique_ptr<FtdiDevice> device, const FtdiPins& pins,
                                 uint32_t portBase)
    : HardwarePort(device->name(), portBase), device_(std::move(device)), pins_(pins) {
  if (!traitsOf(device_->chip()).synchronousBitbang)
    device_->refuseMode("synchronous bit-bang mode");
  if (auto failure = device_->enterMode(FtdiBitmode::SynchronousBitbang, pins_.outputs())) {
    device_->refuseOpening(*failure);
  }
  // The bit mode starts every line low: reset asserted, the clock low.
  queued_.reserve(device_->chunkSize());
  for (const module::PinLevels& step : CleanStartSteps) queued_.push_back(pins_.byteFor(step));
  if (auto failure = device_->send(queued_)) device_->refuseOpening(*failure);
  queued_.clear();
}

void FtdiBitbangPort::queue(uint8_t pinState) {
  if (failure_) return;  // the call's bytes are lost already; flush() says so
  queued_.push_back(pinState);
  if (queued_.size() >= device_->chunkSize()) send();
}

void FtdiBitbangPort::send() {
  failure_ = device_->send(queued_);
  queued_.clear();
}

void FtdiBitbangPort::write(uint32_t port, uint8_t value) {
  if (port != portBase() && port != portBase() + 2) refuseAddress("write to", port);
  queue(bitbangByte(pins_, levels_, port == portBase() ? Db25Register::Data : Db25Register::Control,
                    value));
}

uint8_t FtdiBitbangPort::read(uint32_t port) {
  if (port != DelayPort) refuseAddress("read of", port);
  queue(pins_.byteFor(levels_));
  return 0xFF;
}

void FtdiBitbangPort::refuseAddress(const char* access, uint32_t port) {
  char text[160];
  std::snprintf(text, sizeof text,
                " refused: it carries only writes to the data register %x and the control "
                "register %x, and reads of the delay port 220",
                static_cast<unsigned>(portBase()), static_cast<unsigned>(portBase() + 2));
  char address[12];
  std::snprintf(address, sizeof address, "%x", static_cast<unsigned>(port));
  fail(std::string(access) + " port " + address + " on " + name() + text);
}

void FtdiBitbangPort::flush() {
  if (!queued_.empty()) send();
  if (const auto failure = std::exchange(failure_, std::nullopt)) {
    // The lost transfer may have stopped with the clock low: raising it with the next data
    // register write would clock a stray bit in. It stays low until the next bit raises it.
    levels_.clock = false;
    // libftdi does not tell a vanished adapter from one that stopped answering: either is
    // reopened.
    fail(ftdiFailureMessage(name(), failure->call, failure->message), true);
  }
}

std::vector<LineCheck::Line> FtdiBitbangPort::lines() const {
  return linesOf(ftdiWiredLines(pins_, name()));
}

void FtdiBitbangPort::drive(std::optional<std::size_t> index) {
  queued_.push_back(ftdiCheckByte(pins_, name(), index));
  flush();
}

}  // namespace om6211
