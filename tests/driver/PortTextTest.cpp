#include "driver/PortText.h"

#include <gtest/gtest.h>

#include <string>

namespace om6211 {
namespace {

TEST(PortText, HexadecimalDigitsConvert) {
  const std::pair<std::string, uint32_t> cases[] = {
      {"378", 0x378},
      {"3bc", 0x3BC},
      {"3BC", 0x3BC},
      {"278", 0x278},
      {"0378", 0x378},
      {"0", 0},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"12345678", 0x12345678},
      {std::string(10000, '0') + "378", 0x378},  // leading zeros are not significant
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parsePortText(text), expected) << text;
}

TEST(PortText, AnythingElseFailsWithThePrefixedText) {
  const std::string cases[] = {"",
                               "37Q",
                               "0x378",
                               "$378",
                               " 378",
                               "378 ",
                               "-378",
                               "+378",
                               "378h",
                               "3 78",
                               "37\n",
                               "100000000",  // nine significant digits
                               std::string(10000, '3'),
                               "3\xC3\xA9"
                               "8",
                               "378\xFF",
                               std::string(10000, '\x80')};
  for (const std::string& text : cases) {
    try {
      parsePortText(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& failure) {
      EXPECT_EQ(failure.what(), "'$" + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace om6211
