#pragma once

#include <cstdint>
#include <optional>

namespace om6211 {

// The code of the glyph table that draws a Unicode character: printable ASCII as it is, the
// accented letters of the table's upper half as their code-page 1250 codes; none for any other
// character.
std::optional<uint8_t> glyphCodeOf(char32_t character);

// Drawn where a character has no glyph: the house-shaped glyph.
inline constexpr uint8_t ReplacementGlyphCode = 0x7F;

}  // namespace om6211
