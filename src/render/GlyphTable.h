#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace om6211 {

// Glyphs are 5 pixel columns, leftmost first; bit 0 of a column is its top pixel.
inline constexpr std::size_t GlyphWidth = 5;

enum class GlyphVariant : uint8_t { Default, Cyrillic };

// The exact font name "Cyrillic" selects that variant; any other name the default one.
constexpr GlyphVariant glyphVariantFor(std::string_view fontName) {
  return fontName == "Cyrillic" ? GlyphVariant::Cyrillic : GlyphVariant::Default;
}

// The built-in glyph of a code from 0x20 to 0xFF. Codes 0x80-0xFF are the same in both
// variants. Codes below 0x20 are custom glyphs and have no built-in glyph; they yield the blank.
std::span<const uint8_t, GlyphWidth> glyphFor(uint8_t code, GlyphVariant variant);

}  // namespace om6211
