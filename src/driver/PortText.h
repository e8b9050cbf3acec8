#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace om6211 {

// A configuration value that does not convert; the message is the one shown to the user.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Converts the port address text, hexadecimal digits without prefix ("378", "3bc", "0378"),
// to the port number. At most 8 significant digits; anything else raises ConversionError with
// the message "'$<text>' is not a valid integer value".
uint32_t parsePortText(std::string_view text);

}  // namespace om6211
