#include "render/GlyphCodes.h"

namespace om6211 {
namespace {

struct Letter {
  char32_t codePoint;
  uint8_t code;
};

// The upper-half letters the glyph table carries.
constexpr Letter Letters[] = {
    {U'Ş', 0xAA}, {U'ş', 0xBA}, {U'Á', 0xC1}, {U'Â', 0xC2}, {U'Ă', 0xC3}, {U'Ä', 0xC4},
    {U'É', 0xC9}, {U'Í', 0xCD}, {U'Î', 0xCE}, {U'Ó', 0xD3}, {U'Ő', 0xD5}, {U'Ö', 0xD6},
    {U'Ú', 0xDA}, {U'Ű', 0xDB}, {U'Ü', 0xDC}, {U'Ţ', 0xDE}, {U'ß', 0xDF}, {U'á', 0xE1},
    {U'â', 0xE2}, {U'ă', 0xE3}, {U'ä', 0xE4}, {U'é', 0xE9}, {U'ë', 0xEB}, {U'í', 0xED},
    {U'î', 0xEE}, {U'ó', 0xF3}, {U'ô', 0xF4}, {U'ő', 0xF5}, {U'ö', 0xF6}, {U'ú', 0xFA},
    {U'ű', 0xFB}, {U'ü', 0xFC}, {U'ţ', 0xFE},
};

}  // namespace

std::optional<uint8_t> glyphCodeOf(char32_t character) {
  if (character >= 0x20 && character <= 0x7E) return static_cast<uint8_t>(character);
  for (const Letter& letter : Letters) {
    if (letter.codePoint == character) return letter.code;
  }
  return std::nullopt;
}

}  // namespace om6211
