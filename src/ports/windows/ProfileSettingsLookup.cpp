#include "ports/windows/ProfileSettingsLookup.h"

#include <windows.h>

namespace om6211 {

std::string ProfileSettingsLookup::lookup(const std::string& file, std::string_view section,
                                          std::string_view key, std::string_view fallback) {
  // An empty name is no file; the profile API is not asked what it would make of one.
  if (file.empty()) return std::string(fallback);
  // The API takes zero-terminated texts; a value longer than the buffer comes back cut to
  // MaxValueLength characters, which is the documented limit.
  const std::string sectionText(section);
  const std::string keyText(key);
  const std::string fallbackText(fallback);
  char value[MaxValueLength + 1];
  const DWORD length =
      GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), fallbackText.c_str(), value,
                               sizeof value, file.c_str());
  return std::string(value, length);
}

}  // namespace om6211
