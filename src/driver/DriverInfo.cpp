#include "driver/DriverInfo.h"

#include <algorithm>
#include <string_view>

namespace om6211 {
namespace {

constexpr std::string_view IdentificationText = "Nokia 8310   v1.0   (OM6211)";
// Host-defined flags, then the custom glyph cell (6 x 8) and the text cell pitch (6).
constexpr std::array<uint8_t, 8> RecordConstants = {1, 1, 0, 1, 0, 6, 8, 6};
constexpr std::size_t ConstantsOffset = 256;

}  // namespace

DriverInfoBytes makeDriverInfo() {
  DriverInfoBytes record{};
  std::copy(IdentificationText.begin(), IdentificationText.end(), record.begin());
  std::copy(RecordConstants.begin(), RecordConstants.end(), record.begin() + ConstantsOffset);
  return record;
}

}  // namespace om6211
