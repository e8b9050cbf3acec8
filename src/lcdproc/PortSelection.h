#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace om6211::lcdd {

// Where the module's port is: the virtual panel, a parallel port device of the kernel's ppdev
// interface, or direct I/O at a port address.
struct PortSelection {
  enum class Kind : uint8_t { Virtual, Ppdev, Direct };
  Kind kind = Kind::Virtual;
  uint32_t base = 0x378;  // the data register's address (the panel's wiring for Virtual)
  std::string device;     // Ppdev only

  friend bool operator==(const PortSelection&, const PortSelection&) = default;
};

// Reads `virtual`, `virtual:BASE`, `ppdev:/dev/parportN` and `direct:BASE` (BASE hexadecimal,
// as port addresses are written). Raises std::invalid_argument saying what is wrong.
PortSelection parsePortSelection(std::string_view text);

}  // namespace om6211::lcdd
