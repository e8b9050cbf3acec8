#pragma once

#include <cstdint>

#include "seams/Bus.h"

namespace om6211::capi {

// Passes everything to a bus and counts the frames that went through it.
class CountingBus final : public Bus {
 public:
  explicit CountingBus(Bus& bus) : bus_(&bus) {}

  void setControlLines(ControlLines lines) override {
    followStep([&] { bus_->setControlLines(lines); });
  }
  void sendFrame(bool isData, uint8_t value, int32_t delay) override {
    followStep([&] { bus_->sendFrame(isData, value, delay); });
    ++frames_;
  }
  void flush() override {
    followStep([&] { bus_->flush(); });
  }
  bool allowsShorterTraffic() const override { return bus_->allowsShorterTraffic(); }

  uint64_t frames() const { return frames_; }

 private:
  // The bus it passes to decides whether the controller is in step, also when a step fails.
  template <typename Step>
  void followStep(Step&& step) {
    try {
      step();
    } catch (...) {
      followStepOf(*bus_);
      throw;
    }
    followStepOf(*bus_);
  }

  Bus* bus_;
  uint64_t frames_ = 0;
};

}  // namespace om6211::capi
