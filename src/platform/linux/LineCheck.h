#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace om6211 {

// The lines of a board wiring, for a person with a multimeter or an LED.
class LineCheck {
 public:
  struct Line {
    std::string signal;  // "serial clock"
    std::string where;   // "line 11 of /dev/gpiochip0"
    std::string module;  // what the line does at the module
    // A line that shows its level only while it is driven again and again (the SPI clock and
    // data, which carry a burst of ones each time): the checker repeats drive() on it.
    bool repeated = false;
  };

  virtual std::vector<Line> lines() const = 0;
  // Drives line `index` of lines() high (or its burst) and every other low; all low for none.
  // Raises PortFailure when the lines could not be set.
  virtual void drive(std::optional<std::size_t> index) = 0;

 protected:
  LineCheck() = default;
  LineCheck(const LineCheck&) = default;
  LineCheck& operator=(const LineCheck&) = default;
  ~LineCheck() = default;
};

}  // namespace om6211
