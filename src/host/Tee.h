#pragma once

#include "seams/Bus.h"
#include "seams/PortIo.h"

namespace om6211 {

// A real device with the virtual panel listening in: every step goes to the real device and,
// once it went through, to the listener, so that the panel shows what the glass should show.
// What the device answers comes from the real one alone. There is one for each way the driver
// reaches a device: a port it drives with register writes, and a bus that takes its frames.
template <typename Device>
class Tee;

// Reads come from the real port, and only it queues writes to flush.
template <>
class Tee<PortIo> final : public PortIo {
 public:
  Tee(PortIo& real, PortIo& listener) : real_(&real), listener_(&listener) {}

  void write(uint32_t port, uint8_t value) override {
    real_->write(port, value);
    listener_->write(port, value);
  }
  uint8_t read(uint32_t port) override { return real_->read(port); }
  void flush() override { real_->flush(); }

 private:
  PortIo* real_;
  PortIo* listener_;
};

// The listener is a parallel-port bus over the panel, so that the trace shows the equivalent
// parallel-port traffic. The real bus decides whether the controller is in step and whether
// shorter traffic is allowed.
template <>
class Tee<Bus> final : public Bus {
 public:
  Tee(Bus& real, Bus& listener) : real_(&real), listener_(&listener) {}

  void setControlLines(ControlLines lines) override {
    both([&](Bus& bus) { bus.setControlLines(lines); });
  }
  void sendFrame(bool isData, uint8_t value, int32_t delay) override {
    both([&](Bus& bus) { bus.sendFrame(isData, value, delay); });
  }
  void flush() override {
    both([](Bus& bus) { bus.flush(); });
  }
  bool allowsShorterTraffic() const override { return real_->allowsShorterTraffic(); }

 private:
  template <typename Step>
  void both(Step&& step) {
    try {
      step(*real_);
    } catch (...) {
      followStepOf(*real_);
      throw;
    }
    step(*listener_);
    followStepOf(*real_);
  }

  Bus* real_;
  Bus* listener_;
};

}  // namespace om6211
