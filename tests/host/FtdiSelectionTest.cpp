// What follows "ftdi:" in a port name: every part of the syntax, and every way to get it wrong.
#include <gtest/gtest.h>

#include <stdexcept>

#include "host/FtdiSelection.h"

namespace om6211 {
namespace {

using Mode = FtdiConfig::Mode;

TEST(FtdiSelection, ParsesDescriptionModeAndPins) {
  struct Case {
    const char* text;
    FtdiConfig expected;
  };
  const FtdiPins rewired{
      .clock = 6, .data = 7, .chipSelect = FtdiPins::Unwired, .reset = 0, .backlight = 1};
  const Case cases[] = {
      {"", {}},
      {"mode=mpsse", {.mode = Mode::Mpsse}},
      {":mode=bitbang", {.mode = Mode::Bitbang}},
      {"i:0x0403:0x6001", {.description = "i:0x0403:0x6001"}},
      {"i:0x0403:0x6010:1:mode=mpsse", {.description = "i:0x0403:0x6010:1", .mode = Mode::Mpsse}},
      {"d:1/7", {.description = "d:1/7"}},
      {"s:0x0403:0x6014:A:B", {.description = "s:0x0403:0x6014:A:B"}},
      {"s:0x0403:0x6014:FT7ABC:mode=bitbang:pins=reset=2,backlight=none",
       {.description = "s:0x0403:0x6014:FT7ABC",
        .mode = Mode::Bitbang,
        .pins = {.reset = 2, .backlight = FtdiPins::Unwired}}},
      {"pins=clock=6,data=7,reset=0,cs=none,backlight=1:mode=bitbang",
       {.mode = Mode::Bitbang, .pins = rewired}},
  };
  for (const Case& c : cases) EXPECT_EQ(parseFtdiSelection(c.text), c.expected) << c.text;
}

TEST(FtdiSelection, RefusesWhatItCannotTakeShowingTheSyntax) {
  struct Case {
    const char* text;
    const char* problem;
  };
  const Case cases[] = {
      {"x:1", "not a device description"},
      {"i:0x0403", "not a device description"},
      {"i::0x6001", "not a device description"},
      {"d:1/7:2", "not a device description"},
      {"i:0x0403:0x6001:mode=fast", "unknown mode 'fast'"},
      {"mode=mpsse:mode=bitbang", "mode= given twice"},
      {"speed=3", "unknown option 'speed'"},
      {"mode=bitbang:i:0x0403:0x6001", "the description comes before the options"},
      {"pins=clk=0", "unknown signal 'clk'"},
      {"pins=reset=8", "'reset=8' names no line for reset (0-7)"},
      {"pins=clock=none", "names no line for clock (0-7)"},
      {"pins=cs", "names no line for cs (0-7 or none)"},
      {"pins=reset=3", "reset and cs on one line, 3"},
      {"pins=clock=2,clock=3", "clock= given twice"},
      {"pins=", "pins= names no signal"},
      {"pins=cs:i:0x0403:0x6001", "the description comes before the options"},
      {"mode=mpsse:pins=clock=6", "mode=mpsse clocks the data out on lines 0 (clock) and 1"},
  };
  for (const Case& c : cases) {
    try {
      parseFtdiSelection(c.text);
      ADD_FAILURE() << c.text << " was taken";
    } catch (const std::invalid_argument& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(std::string("ftdi:") + c.text + ": "), std::string::npos) << message;
      EXPECT_NE(message.find(c.problem), std::string::npos) << message;
      EXPECT_NE(message.find(FtdiSyntax), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace om6211
