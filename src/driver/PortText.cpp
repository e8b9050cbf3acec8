#include "driver/PortText.h"

#include <string>

namespace om6211 {
namespace {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint32_t parsePortText(std::string_view text) {
  constexpr int MaxSignificantDigits = 8;
  uint32_t value = 0;
  int significantDigits = 0;
  bool valid = !text.empty();
  for (char c : text) {
    const int digit = hexDigitValue(c);
    if (digit < 0) {
      valid = false;
      break;
    }
    if (significantDigits > 0 || digit != 0) ++significantDigits;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  if (!valid || significantDigits > MaxSignificantDigits) {
    throw ConversionError("'$" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace om6211
