#pragma once

#include <string>
#include <string_view>

#include "seams/SettingsLookup.h"

namespace om6211 {

// Reads settings files the way the Windows profile API does, for builds without it:
// - section and key names match without regard to (ASCII) case, blanks around them ignored;
// - the value is the text after the first '=', blanks around it trimmed, and one pair of
//   matching enclosing quotes (" or ') removed; it is cut to MaxValueLength characters;
// - lines whose first non-blank character is ';' are comments;
// - the first section of the name is the one searched, and in it the first matching key wins;
// - CR LF, LF and CR line ends and a UTF-8 byte-order mark are accepted.
// A file that cannot be read, or lacks the section or key, yields the fallback.
class IniFileLookup final : public SettingsLookup {
 public:
  constexpr IniFileLookup() = default;

  std::string lookup(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view fallback) override;
};

// The same lookup on the contents of a settings file held in memory.
std::string lookupIniText(std::string_view contents, std::string_view section, std::string_view key,
                          std::string_view fallback);

}  // namespace om6211
