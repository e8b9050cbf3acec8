#include "driver/PortText.h"

#include <gtest/gtest.h>

#include <string>

namespace om6211 {
namespace {

TEST(PortText, HexadecimalDigitsConvert) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"378", 0x378},           {"3bc", 0x3BC},          {"3BC", 0x3BC},
      {"278", 0x278},           {"0378", 0x378},         {"0", 0},
      {"FFFFFFFF", 0xFFFFFFFF}, {"000000000378", 0x378},  // leading zeros are not significant
      {"12345678", 0x12345678},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parsePortText(text), expected) << text;
}

TEST(PortText, AnythingElseFailsWithThePrefixedText) {
  const char* cases[] = {"",     "37Q",  "0x378", "$378",      " 378", "378 ", "-378",
                         "+378", "378h", "3 78",  "100000000", "\xE9", "37\n"};
  for (const char* text : cases) {
    try {
      parsePortText(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& failure) {
      EXPECT_EQ(failure.what(), "'$" + std::string(text) + "' is not a valid integer value");
    }
  }
}

TEST(PortText, MessageForThe37QExample) {
  EXPECT_THROW(
      {
        try {
          parsePortText("37Q");
        } catch (const ConversionError& failure) {
          EXPECT_STREQ(failure.what(), "'$37Q' is not a valid integer value");
          throw;
        }
      },
      ConversionError);
}

}  // namespace
}  // namespace om6211
