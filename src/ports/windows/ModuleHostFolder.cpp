#include "ports/windows/ModuleHostFolder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "ports/portable/FolderOfExecutable.h"

namespace om6211 {

namespace {

// Longest path Windows hands out (extended-length paths), in characters.
constexpr DWORD LongestPath = 32768;

// The path comes in the active ANSI code page, which may have two-byte characters.
bool isAnsiLeadByte(uint8_t byte) {
  return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace

std::string ModuleHostFolder::path() {
  // A path that fills the buffer comes back cut off and would name some other folder, so the
  // buffer grows until the whole path fits.
  DWORD size = MAX_PATH + 1;
  for (;;) {
    std::vector<char> buffer(size);
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) {
      return folderOfExecutable(std::string_view(buffer.data(), length), isAnsiLeadByte);
    }
    if (size > LongestPath) return {};
    size = std::min(size * 2, LongestPath + 1);
  }
}

}  // namespace om6211
