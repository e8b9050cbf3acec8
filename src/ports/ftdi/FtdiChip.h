#pragma once

#include <cstdint>

namespace om6211 {

// The FTDI chips the back ends tell apart.
enum class FtdiChip { Am, Bm, Ft2232c, R, Ft2232h, Ft4232h, Ft232h, X, Unknown };

// What a chip offers the back ends.
struct FtdiChipTraits {
  const char* name;
  bool synchronousBitbang;
  // The MPSSE's clock before its divisor; 0 for a chip without MPSSE. The H series run it
  // from 60 MHz once divide-by-5 is switched off; the FT2232C/D has 12 MHz and no switch.
  uint32_t mpsseClockHz;
};

constexpr FtdiChipTraits traitsOf(FtdiChip chip) {
  switch (chip) {
    case FtdiChip::Am:
      return {"FT8U232AM", false, 0};
    case FtdiChip::Bm:
      return {"FT232BM", false, 0};
    case FtdiChip::Ft2232c:
      return {"FT2232C/D", true, 12'000'000};
    case FtdiChip::R:
      return {"FT232R", true, 0};
    case FtdiChip::Ft2232h:
      return {"FT2232H", true, 60'000'000};
    case FtdiChip::Ft4232h:
      return {"FT4232H", true, 60'000'000};
    case FtdiChip::Ft232h:
      return {"FT232H", true, 60'000'000};
    case FtdiChip::X:
      return {"FT-X series chip", true, 0};
    case FtdiChip::Unknown:
      break;
  }
  return {"unknown FTDI chip", false, 0};
}

}  // namespace om6211
