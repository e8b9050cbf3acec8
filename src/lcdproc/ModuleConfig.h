#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/PortSelection.h"
#include "lcdproc/PictureComposer.h"
#include "render/GlyphTable.h"

namespace om6211::lcdd {

// The keys of the module's section in LCDd's configuration, read and checked.
struct ModuleConfig {
  PortSelection port{.kind = PortSelection::Kind::Ppdev, .device = "/dev/parport0"};
  int contrastPromille = 500;
  bool backlight = true;
  int32_t busDelay = 0;
  int32_t addressDelay = 0;
  GlyphVariant font = GlyphVariant::Default;
  CharMap charMap = CharMap::Cp1250;
  // Flushes between full refreshes: 10 s at LCDd's 8 a second; 0: only when the display's
  // contents are not known.
  uint32_t fullRefreshEvery = 80;
  std::string png;    // empty: no picture
  std::string trace;  // empty: no trace
};

// A key whose value the module does not accept.
class ConfigError : public std::runtime_error {
 public:
  ConfigError(std::string key, std::string value, const std::string& reason)
      : std::runtime_error(reason), key(std::move(key)), value(std::move(value)) {}
  std::string key;
  std::string value;
};

// Reads every key through `valueOf` (the key's text, or none when the section lacks it);
// raises ConfigError at the first bad value.
using ConfigValues = std::function<std::optional<std::string>(std::string_view key)>;
ModuleConfig readModuleConfig(const ConfigValues& valueOf);

}  // namespace om6211::lcdd
