#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace om6211 {

// Tells whether a byte opens a two-byte character in the code page a path is written in.
using LeadBytePredicate = bool (*)(uint8_t byte);

// Code pages without two-byte characters: UTF-8 (continuation bytes are never '/' or '\') and
// every single-byte code page.
constexpr bool noLeadBytes(uint8_t) {
  return false;
}

// The folder part of an executable path, trailing separator kept; empty when there is none.
// The path is read character by character, so the second byte of a two-byte character, which
// may be 0x5C like the backslash, is never taken for a separator.
inline std::string folderOfExecutable(std::string_view executablePath,
                                      LeadBytePredicate isLeadByte = noLeadBytes) {
  std::size_t folderLength = 0;
  for (std::size_t i = 0; i < executablePath.size(); ++i) {
    const char c = executablePath[i];
    if (c == '/' || c == '\\') {
      folderLength = i + 1;
    } else if (isLeadByte(static_cast<uint8_t>(c))) {
      ++i;  // the trail byte belongs to this character
    }
  }
  return std::string(executablePath.substr(0, folderLength));
}

}  // namespace om6211
