#pragma once

#include <string>
#include <string_view>

namespace om6211 {

// Looks a value up in an INI-style settings file. Section and key match without regard to
// case; a missing file, section or key yields `fallback`, and so does the empty file name,
// which names no file.
class SettingsLookup {
 public:
  virtual std::string lookup(const std::string& file, std::string_view section,
                             std::string_view key, std::string_view fallback) = 0;

  // Longest value a lookup returns; longer values are cut to this many characters.
  static constexpr std::size_t MaxValueLength = 1023;

 protected:
  constexpr SettingsLookup() = default;
  SettingsLookup(const SettingsLookup&) = default;
  SettingsLookup& operator=(const SettingsLookup&) = default;
  ~SettingsLookup() = default;
};

}  // namespace om6211
