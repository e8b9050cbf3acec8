#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "host/PortFactory.h"
#include "seams/Bus.h"
#include "seams/PortIo.h"

namespace om6211 {

// A face's hardware that may go away and come back: a USB adapter pulled out, a spidev or GPIO
// chip whose driver is reloaded. The face drives the port or bus this gives instead of the
// device's own. When a failure's signs say the device went away, it is closed and the face
// carries on: every later use reopens it through `reopen` (the same selection), the next use
// at once and then at most once a second, each attempt as short as an open; between attempts,
// and when one fails, the use fails at once. A reopened device needs the controller brought back as
// after a lost clock edge, which the driver does with the next frame: the bus is out of step until
// a reset pulse passes, and a port's failure already put the driver's link out of step.
//
// It tells a person in one line each when the device went away and when it is back, and at
// most once a minute in between; never once per call.
class Reconnector {
 public:
  using Clock = std::chrono::steady_clock;
  using Open = std::function<OpenedHardware()>;
  using Report = std::function<void(const std::string& line)>;
  using Now = std::function<Clock::time_point()>;

  static constexpr std::chrono::seconds RetryEvery{1};
  static constexpr std::chrono::seconds RemindEvery{60};

  // Takes over the device `opened` (a port or a bus); `reopen` opens it again, raising
  // PortOpenError while it cannot be had.
  Reconnector(OpenedHardware opened, Open reopen, Report report, Now now = Clock::now);
  Reconnector(const Reconnector&) = delete;
  Reconnector& operator=(const Reconnector&) = delete;

  // What the face drives: a port where the device is one (ppdev, direct, gpio, FTDI bit-bang),
  // else a bus. The kind stays what the first opening gave.
  PortIo* port() { return isBus_ ? nullptr : &port_; }
  Bus* bus() { return isBus_ ? &bus_ : nullptr; }
  // The device open now; none while it is away.
  Hardware* hardware() const { return current_.get(); }
  const std::string& name() const { return name_; }
  bool away() const { return current_.get() == nullptr; }
  // The failures of its uses, of the devices opened and while away, and the latest's message.
  uint64_t failureCount() const { return failures_; }
  const std::string& lastFailure() const { return lastFailure_; }
  // Whether `message` is that of a failure this has told a person about already, so that a
  // face need not repeat it.
  bool told(const std::string& message) const {
    return !lostMessage_.empty() && (message == lostMessage_ || message == awayMessage());
  }

 private:
  class Port final : public PortIo {
   public:
    explicit Port(Reconnector& owner) : owner_(&owner) {}
    void write(uint32_t port, uint8_t value) override;
    uint8_t read(uint32_t port) override;
    void flush() override;

   private:
    Reconnector* owner_;
  };

  class ForwardingBus final : public Bus {
   public:
    explicit ForwardingBus(Reconnector& owner) : owner_(&owner) {}
    void setControlLines(ControlLines lines) override;
    void sendFrame(bool isData, uint8_t value, int32_t delay) override;
    void flush() override;
    bool allowsShorterTraffic() const override { return owner_->allowsShorterTraffic_; }
    // Those of the devices opened, one after the other.
    const FailureRecord& absorbedFailures() const override { return absorbed_; }
    void lose() { loseStep(); }

   private:
    template <typename Use>
    void onBus(Use&& use);
    Reconnector* owner_;
    FailureRecord absorbed_;
  };

  // The device to use now, reopened if it is away and an attempt is due; raises PortFailure
  // while it stays away.
  Hardware& present();
  // Runs `use` on the device; a failure it raises is counted, and closes the device when its
  // signs say the device went away.
  template <typename Use>
  auto guarded(Use&& use) -> decltype(use());
  void lose();
  void note(const std::string& line);
  [[noreturn]] void failAway();
  std::string awayMessage() const { return name_ + " is away; reopening it once a second"; }

  Open reopen_;
  Report report_;
  Now now_;
  OpenedHardware current_;
  std::string name_;
  bool isBus_;
  bool allowsShorterTraffic_;
  Port port_{*this};
  ForwardingBus bus_{*this};
  Clock::time_point lostAt_{};
  Clock::time_point lastAttempt_{};
  Clock::time_point lastTold_{};
  std::string whyAway_;  // the last attempt's problem
  uint64_t failures_ = 0;
  std::string lastFailure_;
  std::string lostMessage_;  // of the failure that closed the device, until it is back
};

}  // namespace om6211
