#pragma once

#include <cstdint>
#include <string>

#include "seams/FailureRecord.h"
#include "seams/LineCheck.h"

namespace om6211 {

// A real device held from opening until destruction, with the failures of its I/O: each one
// is counted and its message kept, so that a caller can tell a failure the driver absorbed.
class Hardware {
 public:
  Hardware(const Hardware&) = delete;
  Hardware& operator=(const Hardware&) = delete;
  // Releases the device.
  virtual ~Hardware() = default;

  // "/dev/parport0", "direct:378", "/dev/gpiochip0", "/dev/spidev0.0".
  const std::string& name() const { return name_; }
  uint64_t failureCount() const { return failures_.count(); }
  // The message of the latest failure; empty while there has been none.
  const std::string& lastFailure() const { return failures_.latest(); }
  // Whether the latest failure's signs say the device went away (unplugged, its driver
  // unloaded): only reopening it can bring it back.
  bool deviceLost() const { return deviceLost_; }

  // The lines a person can step through one at a time on a board wiring; none where the
  // parallel-port registers are the way to the lines.
  virtual LineCheck* lineCheck() { return nullptr; }

 protected:
  explicit Hardware(std::string name) : name_(std::move(name)) {}

  // Records the failure and raises it as PortFailure.
  [[noreturn]] void fail(std::string message, bool deviceLost = false);

 private:
  std::string name_;
  FailureRecord failures_;
  bool deviceLost_ = false;
};

}  // namespace om6211
