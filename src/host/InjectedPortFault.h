#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "seams/PortIo.h"

namespace om6211 {

// Fails one port operation of the whole process once, as a port failure: the K-th read or write
// (counted from 1) that passes through any InjectedPortFault. Anyone can try what a glitch on
// the wire does to the glass by setting OM6211_FAIL_PORT_OPERATION=K for the virtual panel.
class InjectedPortFault final : public PortIo {
 public:
  static constexpr const char* Variable = "OM6211_FAIL_PORT_OPERATION";

  InjectedPortFault(PortIo& port, uint64_t failing) : port_(&port), failing_(failing) {}

  // K from the environment; none when the variable is not set. Raises std::invalid_argument,
  // naming the variable, when it is not a whole number from 1 on.
  static std::optional<uint64_t> fromEnvironment();
  static uint64_t parse(std::string_view text);

  void write(uint32_t port, uint8_t value) override {
    countOperation();
    port_->write(port, value);
  }
  uint8_t read(uint32_t port) override {
    countOperation();
    return port_->read(port);
  }
  void flush() override { port_->flush(); }

 private:
  void countOperation();

  PortIo* port_;
  uint64_t failing_;
};

}  // namespace om6211
