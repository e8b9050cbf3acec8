#include "host/Reconnector.h"

#include <utility>

#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

long long secondsBetween(Reconnector::Clock::time_point from, Reconnector::Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::seconds>(to - from).count();
}

}  // namespace

Reconnector::Reconnector(OpenedHardware opened, Open reopen, Report report, Now now)
    : reopen_(std::move(reopen)),
      report_(std::move(report)),
      now_(std::move(now)),
      current_(std::move(opened)),
      name_(current_.get() != nullptr ? current_.get()->name() : std::string()),
      isBus_(current_.bus != nullptr),
      allowsShorterTraffic_(current_.bus != nullptr && current_.bus->allowsShorterTraffic()) {}

void Reconnector::note(const std::string& line) {
  lastTold_ = now_();
  if (report_) report_(line);
}

void Reconnector::failAway() {
  ++failures_;
  lastFailure_ = awayMessage();
  throw PortFailure(lastFailure_);
}

Hardware& Reconnector::present() {
  if (Hardware* hardware = current_.get()) return *hardware;
  const Clock::time_point now = now_();
  if (now - lastAttempt_ < RetryEvery) failAway();
  lastAttempt_ = now;
  try {
    OpenedHardware reopened = reopen_();
    if ((reopened.bus != nullptr) != isBus_) {
      throw PortOpenError(name_ + " came back as another kind of device; restart the program." +
                              troubleshootingReference("device-changed-kind"),
                          ENODEV);
    }
    current_ = std::move(reopened);
  } catch (const PortOpenError& problem) {
    whyAway_ = problem.what();
    if (now - lastTold_ >= RemindEvery) {
      note(name_ + " is still away after " + std::to_string(secondsBetween(lostAt_, now)) + " s (" +
           whyAway_ + "); reopening it once a second." + troubleshootingReference("device-away"));
    }
    failAway();
  }
  note(name_ + " is back after " + std::to_string(secondsBetween(lostAt_, now)) +
       " s; the display is brought back with the next picture");
  lostMessage_.clear();
  return *current_.get();
}

void Reconnector::lose() {
  lostMessage_ = current_.get()->lastFailure();
  // The first attempt comes with the next use: a device that only stopped answering for a
  // moment (a transfer that failed) is back as soon as before.
  lostAt_ = now_();
  // The device-went-away messages end in a sentence that names their section of the page.
  note(lostMessage_ + (lostMessage_.ends_with('.') ? " " : ". ") + name_ +
       " is closed and reopened once a second.");
  bus_.lose();
  current_ = {};
}

template <typename Use>
auto Reconnector::guarded(Use&& use) -> decltype(use()) {
  Hardware& hardware = present();
  try {
    return use();
  } catch (const PortFailure& failure) {
    ++failures_;
    lastFailure_ = failure.what();
    if (hardware.deviceLost()) lose();
    throw;
  }
}

void Reconnector::Port::write(uint32_t port, uint8_t value) {
  owner_->guarded([&] { owner_->current_.port->write(port, value); });
}

uint8_t Reconnector::Port::read(uint32_t port) {
  return owner_->guarded([&] { return owner_->current_.port->read(port); });
}

void Reconnector::Port::flush() {
  // Nothing is queued on a device that is away.
  if (owner_->away()) return;
  owner_->guarded([&] { owner_->current_.port->flush(); });
}

template <typename Use>
void Reconnector::ForwardingBus::onBus(Use&& use) {
  owner_->guarded([&] {
    Bus& bus = *owner_->current_.bus;
    const uint64_t absorbedBefore = bus.absorbedFailures().count();
    try {
      use(bus);
    } catch (...) {
      if (!bus.inStep()) loseStep();
      throw;
    }
    if (!bus.inStep()) loseStep();
    if (bus.absorbedFailures().count() != absorbedBefore) {
      absorbed_.record(bus.absorbedFailures().latest());
    }
  });
}

void Reconnector::ForwardingBus::setControlLines(ControlLines lines) {
  onBus([&](Bus& bus) { bus.setControlLines(lines); });
  // Holding the reset line low clears the controller's bit counter.
  if (!lines.resetReleased) regainStep();
}

void Reconnector::ForwardingBus::sendFrame(bool isData, uint8_t value, int32_t delay) {
  onBus([&](Bus& bus) { bus.sendFrame(isData, value, delay); });
}

void Reconnector::ForwardingBus::flush() {
  if (owner_->away()) return;
  onBus([](Bus& bus) { bus.flush(); });
}

}  // namespace om6211
