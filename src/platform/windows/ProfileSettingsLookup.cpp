#include "platform/windows/ProfileSettingsLookup.h"

#include <windows.h>

namespace om6211 {

std::string ProfileSettingsLookup::lookup(const std::string& file, std::string_view section,
                                          std::string_view key, std::string_view fallback) {
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
