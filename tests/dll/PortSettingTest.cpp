// The key Port of the DLL's settings file: what each value chooses, and what a wrong one says.
#include "dll/PortSetting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace om6211 {
namespace {

TEST(PortSetting, ChoosesTheParallelPortOrAnAdapter) {
  EXPECT_EQ(parsePortSetting(""), PortSetting{});
  EXPECT_EQ(parsePortSetting("ftdi:"), PortSetting{FtdiConfig{}});
  EXPECT_EQ(parsePortSetting("ftdi"), PortSetting{FtdiConfig{}});
  const FtdiConfig named{.description = "s:0x0403:0x6014:FT7ABC", .mode = FtdiConfig::Mode::Mpsse};
  EXPECT_EQ(parsePortSetting("ftdi:s:0x0403:0x6014:FT7ABC:mode=mpsse"), PortSetting{named});
  FtdiConfig rewired{.description = "i:0x0403:0x6001:1", .mode = FtdiConfig::Mode::Bitbang};
  rewired.pins.reset = 6;
  EXPECT_EQ(parsePortSetting("ftdi:i:0x0403:0x6001:1:mode=bitbang:pins=reset=6"),
            PortSetting{rewired});
}

TEST(PortSetting, RefusesWhatNamesNoAdapterOnWindows) {
  const struct {
    const char* value;
    const char* says;
  } refused[] = {
      {"lpt1",
       "Port=lpt1 in section [init] of settings.ini names no port: leave it empty for the "
       "parallel port through DLPORTIO.DLL, or write "
       "ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE"},
      {"ftdix", "Port=ftdix in section [init] of settings.ini names no port"},
      {"ftdi:d:1/7",
       "Port=ftdi:d:1/7 in section [init] of settings.ini: d:BUS/DEVICE names a "
       "place on a Linux USB and no device on Windows"},
      {"ftdi::mode=fast",
       "Port=ftdi::mode=fast in section [init] of settings.ini: "
       "ftdi::mode=fast: unknown mode 'fast'"},
  };
  for (const auto& [value, says] : refused) {
    try {
      parsePortSetting(value);
      ADD_FAILURE() << value << " was taken";
    } catch (const std::invalid_argument& refusal) {
      EXPECT_EQ(std::string(refusal.what()).find(says), 0u) << refusal.what();
    }
  }
}

}  // namespace
}  // namespace om6211
