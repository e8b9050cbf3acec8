#include "ports/portable/IniFileLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace om6211 {
namespace {

std::string lookup(std::string_view contents, std::string_view key = "TextFont") {
  return lookupIniText(contents, "init", key, "<fallback>");
}

TEST(IniFileLookup, ValueSemantics) {
  struct Case {
    const char* contents;
    const char* expected;
  };
  const Case cases[] = {
      {"[init]\nTextFont=Cyrillic\n", "Cyrillic"},
      {"[init]\nTextFont=Cyrillic", "Cyrillic"},                // no final line end
      {"[init]\r\nTextFont=Cyrillic\r\n", "Cyrillic"},          // CR LF
      {"[init]\rTextFont=Cyrillic\r", "Cyrillic"},              // CR only
      {"\xEF\xBB\xBF[init]\nTextFont=Cyrillic\n", "Cyrillic"},  // byte-order mark
      {"[ INIT ]\n  textfont  =  Cyrillic  \n", "Cyrillic"},    // case, blanks
      {"[init]\nTextFont=\t\"Cyrillic\" \n", "Cyrillic"},       // double quotes
      {"[init]\nTextFont='a b'\n", "a b"},                      // single quotes
      {"[init]\nTextFont=\"a'\n", "\"a'"},                      // unmatched pair kept
      {"[init]\nTextFont=\"\n", "\""},                          // a lone quote
      {"[init]\nTextFont=\"\"x\"\"\n", "\"x\""},                // only one pair removed
      {"[init]\nTextFont=\n", ""},                              // empty value
      {"[init]\nTextFont=a=b\n", "a=b"},                        // first '=' splits
      {"[init]\n;TextFont=Cyrillic\n", "<fallback>"},           // comment
      {"[init]\n  ; TextFont=Cyrillic\n", "<fallback>"},        // indented comment
      {"[init]\nTextFont=first\nTextFont=second\n", "first"},   // first key wins
      {"[init]\n[init]\nTextFont=second\n", "<fallback>"},      // first section only
      {"[init]\nOther=1\n[init]\nTextFont=x\n", "<fallback>"},  //
      {"[other]\nTextFont=x\n[init]\nTextFont=y\n", "y"},       //
      {"TextFont=outside\n[init]\n", "<fallback>"},             // before any section
      {"[init\nTextFont=unclosed\n", "unclosed"},               // section never closed
      {"[init]\nTextFontX=1\nTextFont\n", "<fallback>"},        // no such key
      {"", "<fallback>"},
  };
  for (const Case& c : cases) EXPECT_EQ(lookup(c.contents), c.expected) << c.contents;
}

TEST(IniFileLookup, LongValuesAreCutTo1023Characters) {
  const std::string value(5000, 'v');
  EXPECT_EQ(lookup("[init]\nTextFont=" + value + "\n"), std::string(1023, 'v'));
  EXPECT_EQ(lookup("[init]\nTextFont=\"" + std::string(1023, 'q') + "\"\n"),
            std::string(1023, 'q'));
}

TEST(IniFileLookup, NulBytesAreOrdinaryCharacters) {
  const std::string contents("[init]\nTextFont=a\0b\n", 20);
  EXPECT_EQ(lookup(contents), std::string("a\0b", 3));
}

TEST(IniFileLookup, ReadsFilesAndFallsBackWithoutOne) {
  const auto folder = std::filesystem::temp_directory_path() / "om6211-ini-test";
  std::filesystem::create_directories(folder);
  const auto file = folder / "settings.ini";
  std::ofstream(file, std::ios::binary) << "; sample\r\n[init]\r\nText+GraphicsDisplayMode=AND\r\n";

  IniFileLookup reader;
  EXPECT_EQ(reader.lookup(file.string(), "init", "Text+GraphicsDisplayMode", "XOR"), "AND");
  EXPECT_EQ(reader.lookup(file.string(), "init", "TextFont", "Default"), "Default");
  EXPECT_EQ(reader.lookup((folder / "missing.ini").string(), "init", "TextFont", "Default"),
            "Default");
  EXPECT_EQ(reader.lookup(folder.string(), "init", "TextFont", "Default"), "Default");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace om6211
