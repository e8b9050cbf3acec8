#pragma once

#include "seams/PortIo.h"

namespace om6211::cli {

// A real port with the virtual panel listening in: every write goes to the real port and, once
// it went through, to the panel, so that the panel shows what the glass should show. Reads
// come from the real port.
class TeePort final : public PortIo {
 public:
  TeePort(PortIo& real, PortIo& listener) : real_(&real), listener_(&listener) {}

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

}  // namespace om6211::cli
