#pragma once

#include <cstdint>
#include <stdexcept>

namespace om6211 {

// Raised by a port back end when an I/O operation did not happen.
class PortFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Byte-wide access to x86 I/O ports. Writes must reach the port in call order. A port may queue
// them (a USB adapter sends many in one transfer); flush() sends what is queued, and a failure
// of a queued write is raised there.
class PortIo {
 public:
  virtual void write(uint32_t port, uint8_t value) = 0;
  virtual uint8_t read(uint32_t port) = 0;
  virtual void flush() {}

 protected:
  constexpr PortIo() = default;
  PortIo(const PortIo&) = default;
  PortIo& operator=(const PortIo&) = default;
  ~PortIo() = default;
};

}  // namespace om6211
