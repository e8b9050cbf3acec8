#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace om6211 {

// Why a KEY=VALUE list of a port text was refused, in the user's words ("unknown signal
// 'clk'", "mode= given twice"); the parser of the whole text puts it into its own message.
class KeyValueError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// One setting of a list as written, its key, and what follows its '=' (empty without one).
struct KeyValue {
  std::string_view item;
  std::string_view key;
  std::string_view value;
};

// Reads "KEY=VALUE<separator>KEY=VALUE...", in order; an empty list has no settings. Raises
// KeyValueError for a key given twice.
std::vector<KeyValue> splitKeyValueList(std::string_view list, char separator);

// The same with each key looked up by name in `keys` (each of which has a `name`); `noun`
// says what the keys are ("setting", "signal", "option"). Raises KeyValueError for an unknown
// key too.
template <typename Key>
std::vector<std::pair<const Key*, KeyValue>> readKeyValueList(std::string_view list, char separator,
                                                              std::span<const Key> keys,
                                                              std::string_view noun) {
  std::vector<std::pair<const Key*, KeyValue>> settings;
  for (const KeyValue& setting : splitKeyValueList(list, separator)) {
    const Key* known = nullptr;
    for (const Key& key : keys) {
      if (key.name == setting.key) known = &key;
    }
    if (known == nullptr) {
      throw KeyValueError("unknown " + std::string(noun) + " '" + std::string(setting.key) + "'");
    }
    settings.emplace_back(known, setting);
  }
  return settings;
}

}  // namespace om6211
