#include "render/GlyphTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace om6211 {
namespace {

std::vector<uint8_t> bytes(uint8_t code, GlyphVariant variant = GlyphVariant::Default) {
  const auto glyph = glyphFor(code, variant);
  return {glyph.begin(), glyph.end()};
}

// Codes at the edges of each table and a few inside, so an index off by one shows.
TEST(GlyphTable, SpotChecks) {
  struct Case {
    uint8_t code;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {0x20, {0x00, 0x00, 0x00, 0x00, 0x00}}, {0x21, {0x00, 0x00, 0x5F, 0x00, 0x00}},
      {0x30, {0x3E, 0x51, 0x49, 0x45, 0x3E}}, {0x41, {0x7E, 0x11, 0x11, 0x11, 0x7E}},
      {0x42, {0x7F, 0x49, 0x49, 0x49, 0x36}}, {0x7E, {0x10, 0x08, 0x08, 0x10, 0x08}},
      {0x7F, {0x78, 0x46, 0x41, 0x46, 0x78}}, {0x80, {0x00, 0x00, 0x00, 0x00, 0x00}},
      {0xA9, {0x00, 0x00, 0x00, 0x00, 0x00}}, {0xAA, {0x46, 0x49, 0xC9, 0x49, 0x31}},
      {0xC9, {0xF8, 0xA8, 0xAA, 0xA9, 0x88}}, {0xCA, {0x00, 0x00, 0x00, 0x00, 0x00}},
      {0xDF, {0x80, 0x7C, 0x92, 0x92, 0x6C}}, {0xF4, {0x70, 0x8A, 0x89, 0x8A, 0x71}},
      {0xF5, {0x70, 0x8A, 0x89, 0x8A, 0x71}}, {0xFE, {0x04, 0x3F, 0xC4, 0x40, 0x20}},
      {0xFF, {0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytes(c.code), c.expected) << std::hex << int(c.code);
    EXPECT_EQ(bytes(c.code, GlyphVariant::Cyrillic), c.expected) << std::hex << int(c.code);
  }
}

TEST(GlyphTable, UpperHalfCarriesExactly33Glyphs) {
  int withGlyph = 0;
  for (int code = 0x80; code <= 0xFF; ++code) {
    const auto glyph = bytes(static_cast<uint8_t>(code));
    withGlyph += glyph != std::vector<uint8_t>(5, 0);
  }
  EXPECT_EQ(withGlyph, 33);
}

TEST(GlyphTable, LowerHalfKeepsTheGapRow) {
  for (int code = 0x20; code <= 0x7F; ++code) {
    for (uint8_t column : bytes(static_cast<uint8_t>(code))) {
      EXPECT_EQ(column & 0x80, 0) << std::hex << code;
    }
  }
}

TEST(GlyphTable, OnlyTheExactNameSelectsCyrillic) {
  EXPECT_EQ(glyphVariantFor("Cyrillic"), GlyphVariant::Cyrillic);
  for (const char* name : {"cyrillic", "CYRILLIC", "Cyrillic ", "", "Default"}) {
    EXPECT_EQ(glyphVariantFor(name), GlyphVariant::Default) << name;
  }
}

}  // namespace
}  // namespace om6211
