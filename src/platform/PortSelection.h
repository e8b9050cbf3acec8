#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace om6211 {

// A port text that names no back end of this build, or names one wrongly. The message says
// what is wrong and lists every back end with its syntax.
class PortSelectionError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Which port the driver's frames go out on, as the faces name it (the tool's --port, LCDd's
// Port=).
struct PortSelection {
  enum class Kind : uint8_t {
    Virtual,  // the virtual panel
    Ppdev,    // the kernel's parallel-port device
    Direct,   // direct port I/O
  };
  Kind kind = Kind::Virtual;
  // The data register the driver is configured with and the virtual panel is wired to: BASE of
  // "virtual:BASE" and "direct:BASE", 378 otherwise.
  uint32_t base = 0x378;
  std::string device;  // the device path of Ppdev

  // Whether the selection names real hardware rather than the virtual panel.
  bool isHardware() const { return kind != Kind::Virtual; }
  // What the selection is, for people: "the virtual panel at 378", "/dev/parport0",
  // "direct I/O at 378".
  std::string description() const;

  friend bool operator==(const PortSelection&, const PortSelection&) = default;
};

// Reads "virtual", "virtual:BASE", "ppdev:/dev/parportN" and "direct:BASE" (BASE hexadecimal,
// at most FFFD so that the control register BASE + 2 is a port too). Raises PortSelectionError.
PortSelection parsePortSelection(std::string_view text);

}  // namespace om6211
