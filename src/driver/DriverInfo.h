#pragma once

#include <array>
#include <cstdint>

namespace om6211 {

// The identification record handed to the host, byte for byte.
using DriverInfoBytes = std::array<uint8_t, 264>;

DriverInfoBytes makeDriverInfo();

}  // namespace om6211
