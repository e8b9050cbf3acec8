#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace om6211 {

// The lines of a board wiring, for a person with a multimeter or an LED.
class LineCheck {
 public:
  // What each of the module's inputs is, as a person checking the wiring reads it.
  struct Signal {
    const char* signal;
    const char* module;
  };
  static constexpr Signal Data{"serial data (din)", "the module's serial data input"};
  static constexpr Signal Clock{"serial clock (clk)",
                                "the module's clock input (it samples data on the rising edge)"};
  static constexpr Signal Reset{
      "reset (res)", "the module's reset input (low resets the controller; high lets it run)"};
  static constexpr Signal Backlight{"backlight (light)", "the backlight: it should light"};
  static constexpr Signal ChipSelect{"chip select (cs)",
                                     "the module's chip select (held low while the display runs)"};

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
