// The key Port of the DLL's settings file: what each value chooses, and what a wrong one says.
#include "dll/PortSetting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace om6211 {
namespace {

TEST(PortSetting, ChoosesThePortOrSaysWhatToWrite) {
  EXPECT_EQ(parsePortSetting(""), PortSetting{});
  EXPECT_EQ(parsePortSetting("ftdi"), PortSetting{FtdiConfig{}});
  FtdiConfig rewired{.description = "i:0x0403:0x6001:1", .mode = FtdiConfig::Mode::Bitbang};
  rewired.pins.reset = 6;
  EXPECT_EQ(parsePortSetting("ftdi:i:0x0403:0x6001:1:mode=bitbang:pins=reset=6"),
            PortSetting{rewired});

  const std::string where = " in section [init] of settings.ini";
  for (const auto& [value, says] : {
           std::pair{"lpt1",
                     " names no port: leave it empty for the parallel port through "
                     "DLPORTIO.DLL, or write ftdi:[DESCRIPTION][:mode=bitbang|mpsse]"},
           std::pair{"ftdix", " names no port"},
           std::pair{"ftdi:d:1/7",
                     ": d:BUS/DEVICE names a place on a Linux USB and no device "
                     "on Windows"},
           std::pair{"ftdi::mode=fast", ": ftdi::mode=fast: unknown mode 'fast'"},
       }) {
    try {
      parsePortSetting(value);
      ADD_FAILURE() << value << " was taken";
    } catch (const std::invalid_argument& refusal) {
      EXPECT_EQ(std::string(refusal.what()).find("Port=" + std::string(value) + where + says), 0u)
          << refusal.what();
    }
  }
}

}  // namespace
}  // namespace om6211
