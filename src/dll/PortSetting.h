#pragma once

#include <optional>
#include <string_view>

#include "ports/ftdi/FtdiConfig.h"

namespace om6211 {

// The port the key Port of the settings file's section "init" names for the DLL.
struct PortSetting {
  // None: the parallel port through DLPORTIO.DLL (the key absent or empty).
  std::optional<FtdiConfig> ftdi;

  friend bool operator==(const PortSetting&, const PortSetting&) = default;
};

// Reads the value of Port: empty, or ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=...] as on
// Linux. Raises std::invalid_argument, with a message that says what to write, for anything
// else, and for d:BUS/DEVICE, which names no device on Windows.
PortSetting parsePortSetting(std::string_view value);

}  // namespace om6211
