#pragma once

#include "seams/Bus.h"

namespace om6211 {

// A real bus with the virtual panel listening in: every frame and every change of the control
// lines goes to the real bus and, once it went through, to the listener (a parallel-port bus
// over the panel, so that the trace shows the equivalent parallel-port traffic). The real bus
// decides whether the controller is in step and whether shorter traffic is allowed.
class TeeBus final : public Bus {
 public:
  TeeBus(Bus& real, Bus& listener) : real_(&real), listener_(&listener) {}

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
      followStep();
      throw;
    }
    step(*listener_);
    followStep();
  }
  void followStep() {
    if (real_->inStep()) {
      regainStep();
    } else {
      loseStep();
    }
  }

  Bus* real_;
  Bus* listener_;
};

}  // namespace om6211
