#include "lcdproc/ModuleConfig.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "seams/Troubleshooting.h"

namespace om6211::lcdd {
namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Reads the key, if present, with `parse`, which raises std::invalid_argument with the reason.
template <typename T, typename Parse>
void readKey(const ConfigValues& valueOf, std::string_view key, T& target, Parse&& parse) {
  const std::optional<std::string> value = valueOf(key);
  if (!value) return;
  try {
    target = parse(*value);
  } catch (const PortSelectionError& bad) {  // it names its own section of the page
    throw ConfigError(std::string(key), *value, bad.what());
  } catch (const std::invalid_argument& bad) {
    throw ConfigError(std::string(key), *value,
                      bad.what() + troubleshootingReference("lcdd-bad-value"));
  }
}

// A whole number in the range; `why` (if any) follows the range in the message.
auto integerIn(int64_t lowest, int64_t highest, std::string_view why = {}) {
  return [=](const std::string& text) {
    int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        number < lowest || number > highest) {
      throw std::invalid_argument("expected a whole number from " + std::to_string(lowest) +
                                  " to " + std::to_string(highest) +
                                  (why.empty() ? "" : ": " + std::string(why)));
    }
    return number;
  };
}

// A full refresh is 525 serial frames, each 19 port writes and 18 delay units of `delay` port
// reads. LCDd flushes from its main loop: even the slowest bus must keep a flush well under a
// second.
constexpr int64_t HighestDelay = 50;
constexpr int64_t FullRefreshOperations = 525 * (19 + 18 * HighestDelay);
static_assert(FullRefreshOperations < 500'000);
constexpr std::string_view DelayBound = "one flush stays under 0.5 s at 1 µs per port operation";

bool parseSwitch(const std::string& text) {
  const std::string word = lowered(text);
  if (word == "yes" || word == "on" || word == "true" || word == "1") return true;
  if (word == "no" || word == "off" || word == "false" || word == "0") return false;
  throw std::invalid_argument("expected yes/no, on/off, true/false or 1/0");
}

GlyphVariant parseFont(const std::string& text) {
  const std::string word = lowered(text);
  if (word == "default") return GlyphVariant::Default;
  if (word == "cyrillic") return GlyphVariant::Cyrillic;
  throw std::invalid_argument("expected Default or Cyrillic");
}

CharMap parseCharMap(const std::string& text) {
  const std::string word = lowered(text);
  if (word == "cp1250" || word == "windows-1250") return CharMap::Cp1250;
  if (word == "iso-8859-1" || word == "latin1") return CharMap::Latin1;
  throw std::invalid_argument("expected cp1250 or iso-8859-1");
}

std::string parsePath(const std::string& text) {
  if (text.empty()) throw std::invalid_argument("expected a file path");
  return text;
}

}  // namespace

ModuleConfig readModuleConfig(const ConfigValues& valueOf) {
  ModuleConfig config;
  readKey(valueOf, "Port", config.port,
          [](const std::string& text) { return parsePortSelection(text); });
  readKey(valueOf, "Contrast", config.contrastPromille, integerIn(0, 1000));
  readKey(valueOf, "Backlight", config.backlight, parseSwitch);
  readKey(valueOf, "BusDelay", config.busDelay, integerIn(0, HighestDelay, DelayBound));
  readKey(valueOf, "AddressDelay", config.addressDelay, integerIn(0, HighestDelay, DelayBound));
  readKey(valueOf, "Font", config.font, parseFont);
  readKey(valueOf, "CharMap", config.charMap, parseCharMap);
  readKey(valueOf, "FullRefreshEvery", config.fullRefreshEvery, integerIn(0, 1000000));
  readKey(valueOf, "Png", config.png, parsePath);
  readKey(valueOf, "Trace", config.trace, parsePath);
  if (!config.png.empty() && config.port.isHardware()) {
    throw ConfigError("Png", config.png,
                      "a picture is drawn only with Port=virtual" +
                          troubleshootingReference("lcdd-png-needs-virtual"));
  }
  return config;
}

}  // namespace om6211::lcdd
