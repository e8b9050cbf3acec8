// UTF-8 text to glyph codes, and its layout over the text grid.
#include <gtest/gtest.h>

#include "cli/Cp1250Text.h"
#include "cli/TextLayout.h"

namespace om6211::cli {
namespace {

TEST(TextInputTest, UpperHalfLettersBecomeTheirCodePage1250Codes) {
  const Cp1250Text text = toCp1250(
      "\u015e\u015f\u00c1\u00c2\u0102\u00c4\u00c9\u00cd\u00ce\u00d3\u0150\u00d6\u00da\u0170"
      "\u00dc\u0162\u00df\u00e1\u00e2\u0103\u00e4\u00e9\u00eb\u00ed\u00ee\u00f3\u00f4\u0151"
      "\u00f6\u00fa\u0171\u00fc\u0163");
  EXPECT_TRUE(text.unmapped.empty());
  EXPECT_EQ(text.codes,
            "\xAA\xBA\xC1\xC2\xC3\xC4\xC9\xCD\xCE\xD3\xD5\xD6\xDA\xDB\xDC\xDE\xDF\xE1\xE2\xE3\xE4"
            "\xE9\xEB\xED\xEE\xF3\xF4\xF5\xF6\xFA\xFB\xFC\xFE");
}

TEST(TextInputTest, AsciiAndLineEndsPassTabsBecomeBlanks) {
  const Cp1250Text text = toCp1250(" Az~\n\t");
  EXPECT_EQ(text.codes, " Az~\n ");
  EXPECT_TRUE(text.unmapped.empty());
}

TEST(TextInputTest, UnmappableAndInvalidInputIsReplacedVisiblyAndReported) {
  struct Case {
    std::string input;
    std::string codes;
    std::vector<std::string> unmapped;
  };
  const std::vector<Case> cases = {
      {"a\u20acb",
       "a\x7F"
       "b",
       {"U+20AC"}},
      {"\u00e7", "\x7F", {"U+00E7"}},   // cp1250 has it, the glyph table does not
      {"\x01", "\x7F", {"U+0001"}},     // custom glyph codes are not text
      {"\xC3", "\x7F", {"byte 0xc3"}},  // cut sequence
      {"\xC0\x80", "\x7F\x7F", {"byte 0xc0", "byte 0x80"}},                       // overlong
      {"\xED\xA0\x80", "\x7F\x7F\x7F", {"byte 0xed", "byte 0xa0", "byte 0x80"}},  // surrogate
      {"\xF0\x9F\x98\x80", "\x7F", {"U+1F600"}},
  };
  for (const Case& c : cases) {
    const Cp1250Text text = toCp1250(c.input);
    EXPECT_EQ(text.codes, c.codes) << c.input;
    EXPECT_EQ(text.unmapped, c.unmapped) << c.input;
  }
}

TEST(TextInputTest, WordsWrapOntoTheNextRow) {
  struct Case {
    std::string text;
    std::vector<std::string> rows;
    std::size_t dropped;
  };
  const std::vector<Case> cases = {
      {"hello world", {"hello world   ", "              "}, 0},
      {"the quick brown fox", {"the quick     ", "brown fox     "}, 0},
      {"a\nb", {"a             ", "b             "}, 0},
      {"  indented", {"  indented    ", "              "}, 0},
      {"abcdefghijklmnopq", {"abcdefghijklmn", "opq           "}, 0},
      {"fourteen chars x", {"fourteen chars", "x             "}, 0},
      {"one two three four", {"one two three ", "four          "}, 0},
      {"a\nb\nccc", {"a             ", "b             "}, 3},
  };
  for (const Case& c : cases) {
    const TextLayout layout = layOutText(c.text, 14, 2);
    EXPECT_EQ(layout.rows, c.rows) << c.text;
    EXPECT_EQ(layout.droppedCharacters, c.dropped) << c.text;
  }
}

}  // namespace
}  // namespace om6211::cli
