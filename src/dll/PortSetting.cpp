#include "dll/PortSetting.h"

#include <stdexcept>
#include <string>

#include "host/FtdiSelection.h"

namespace om6211 {
namespace {

constexpr std::string_view FtdiPrefix = "ftdi:";

}  // namespace

PortSetting parsePortSetting(std::string_view value) {
  if (value.empty()) return {};
  const std::string quoted = "Port=" + std::string(value) + " in section [init] of settings.ini";
  if (!value.starts_with(FtdiPrefix) && value != "ftdi") {
    throw std::invalid_argument(
        quoted +
        " names no port: leave it empty for the parallel port through DLPORTIO.DLL, or "
        "write " +
        std::string(FtdiSyntax.substr(0, FtdiSyntax.find(','))) + " for an FTDI adapter");
  }
  const std::string_view options = value.substr(std::min(value.size(), FtdiPrefix.size()));
  FtdiConfig config;
  try {
    config = parseFtdiSelection(options);
  } catch (const std::invalid_argument& refusal) {
    throw std::invalid_argument(quoted + ": " + refusal.what());
  }
  if (config.description.starts_with("d:")) {
    throw std::invalid_argument(quoted +
                                ": d:BUS/DEVICE names a place on a Linux USB and no "
                                "device on Windows; name the adapter with "
                                "i:VENDOR:PRODUCT[:INDEX] or s:VENDOR:PRODUCT:SERIAL, "
                                "or leave the description out for the first one");
  }
  return {.ftdi = config};
}

}  // namespace om6211
