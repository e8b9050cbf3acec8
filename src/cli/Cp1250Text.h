#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/GlyphCodes.h"

namespace om6211::cli {

// Character codes for the driver's glyph table from UTF-8 text: printable ASCII as it is, the
// accented letters of the table's upper half as their code-page 1250 codes, line ends kept.
struct Cp1250Text {
  // Drawn where a character has no glyph: the house-shaped glyph 0x7F.
  static constexpr uint8_t Replacement = ReplacementGlyphCode;

  std::string codes;
  // What could not be mapped, in order: "U+20AC", or "byte 0xff" for text that is not UTF-8.
  std::vector<std::string> unmapped;
};

Cp1250Text toCp1250(std::string_view utf8);

}  // namespace om6211::cli
