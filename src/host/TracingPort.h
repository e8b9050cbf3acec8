#pragma once

#include "host/TraceWriter.h"
#include "seams/PortIo.h"

namespace om6211 {

// Passes every operation to a port and writes the trace line of each one that happened; an
// operation that failed reached no port and leaves no line.
class TracingPort final : public PortIo {
 public:
  TracingPort(PortIo& port, TraceWriter& trace) : port_(&port), trace_(&trace) {}

  void write(uint32_t port, uint8_t value) override {
    port_->write(port, value);
    trace_->append({PortOperation::Kind::Out, port, value});
  }
  uint8_t read(uint32_t port) override {
    const uint8_t value = port_->read(port);
    trace_->append({PortOperation::Kind::In, port, 0});
    return value;
  }
  void flush() override { port_->flush(); }

 private:
  PortIo* port_;
  TraceWriter* trace_;
};

}  // namespace om6211
