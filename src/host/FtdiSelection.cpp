#include "host/FtdiSelection.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "host/KeyValueList.h"
#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

[[noreturn]] void refuse(std::string_view afterPrefix, const std::string& problem,
                         std::string_view anchor = "ftdi-selection") {
  throw std::invalid_argument("ftdi:" + std::string(afterPrefix) + ": " + problem + "; expected " +
                              std::string(FtdiSyntax) + "." + troubleshootingReference(anchor));
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

// The fields after the kind letter each description takes: {fewest, most}.
struct DescriptionShape {
  char kind;
  std::size_t fewest;
  std::size_t most;
};
constexpr DescriptionShape DescriptionShapes[] = {
    {'d', 1, 1}, {'i', 2, 3}, {'s', 3, SIZE_MAX},  // the serial is the rest, colons included
};

bool describes(const std::vector<std::string_view>& fields) {
  if (fields.empty() || fields[0].size() != 1) return false;
  for (const DescriptionShape& shape : DescriptionShapes) {
    const std::size_t rest = fields.size() - 1;
    if (fields[0][0] == shape.kind && rest >= shape.fewest && rest <= shape.most) {
      for (std::size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].empty() && !(shape.kind == 's' && i > 3)) return false;
      }
      return true;
    }
  }
  return false;
}

struct SignalName {
  std::string_view name;
  int FtdiPins::*line;
  bool mayBeUnwired;
};
constexpr SignalName Signals[] = {
    {"clock", &FtdiPins::clock, false},  {"data", &FtdiPins::data, false},
    {"reset", &FtdiPins::reset, false},  {"backlight", &FtdiPins::backlight, true},
    {"cs", &FtdiPins::chipSelect, true},
};

struct OptionName {
  std::string_view name;
};
constexpr OptionName Options[] = {{"mode"}, {"pins"}};

void parsePins(std::string_view afterPrefix, std::string_view value, FtdiPins& pins) {
  if (value.empty()) refuse(afterPrefix, "pins= names no signal");
  for (const auto& [signal, setting] :
       readKeyValueList<SignalName>(value, ',', Signals, "signal")) {
    const std::string_view line = setting.value;
    if (line == "none" && signal->mayBeUnwired) {
      pins.*signal->line = FtdiPins::Unwired;
    } else if (line.size() == 1 && line[0] >= '0' && line[0] <= '7') {
      pins.*signal->line = line[0] - '0';
    } else {
      refuse(afterPrefix, "'" + std::string(setting.item) + "' names no line for " +
                              std::string(signal->name) +
                              (signal->mayBeUnwired ? " (0-7 or none)" : " (0-7)"));
    }
  }
  for (const SignalName& a : Signals) {
    for (const SignalName& b : Signals) {
      if (&a < &b && pins.*a.line >= 0 && pins.*a.line == pins.*b.line) {
        refuse(afterPrefix, std::string(a.name) + " and " + std::string(b.name) + " on one line, " +
                                std::to_string(pins.*a.line));
      }
    }
  }
}

}  // namespace

FtdiConfig parseFtdiSelection(std::string_view afterPrefix) {
  FtdiConfig config;
  std::vector<std::string_view> fields = split(afterPrefix, ':');
  // "ftdi:" and "ftdi::mode=…" name no device.
  if (fields.front().empty()) fields.erase(fields.begin());
  // The description's fields, then the options from the first field with a value on.
  const auto isOption = [](std::string_view field) {
    return field.find('=') != std::string_view::npos;
  };
  const auto firstOption = std::find_if(fields.begin(), fields.end(), isOption);
  if (std::find_if_not(firstOption, fields.end(), isOption) != fields.end()) {
    refuse(afterPrefix, "the description comes before the options");
  }
  const std::vector<std::string_view> description(fields.begin(), firstOption);
  const std::string_view options =
      firstOption == fields.end() ? std::string_view()
                                  : afterPrefix.substr(firstOption->data() - afterPrefix.data());
  try {
    for (const auto& [option, setting] :
         readKeyValueList<OptionName>(options, ':', Options, "option")) {
      if (option->name == "pins") {
        parsePins(afterPrefix, setting.value, config.pins);
      } else if (setting.value == "bitbang") {
        config.mode = FtdiConfig::Mode::Bitbang;
      } else if (setting.value == "mpsse") {
        config.mode = FtdiConfig::Mode::Mpsse;
      } else {
        refuse(afterPrefix, "unknown mode '" + std::string(setting.value) + "'");
      }
    }
  } catch (const KeyValueError& problem) {
    refuse(afterPrefix, problem.what());
  }
  if (!description.empty()) {
    if (!describes(description)) refuse(afterPrefix, "not a device description");
    for (std::string_view field : description) {
      if (!config.description.empty()) config.description += ':';
      config.description += field;
    }
  }
  if (config.mode == FtdiConfig::Mode::Mpsse && (config.pins.clock != 0 || config.pins.data != 1)) {
    refuse(afterPrefix, "mode=mpsse clocks the data out on lines 0 (clock) and 1 (data)",
           "ftdi-mpsse-pins");
  }
  return config;
}

}  // namespace om6211
