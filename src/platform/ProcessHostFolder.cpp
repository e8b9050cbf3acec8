#include "platform/ProcessHostFolder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <vector>
#endif

namespace om6211 {

std::string folderOfExecutable(const std::string& executablePath) {
  const auto separator = executablePath.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : executablePath.substr(0, separator + 1);
}

#if defined(_WIN32)

std::string ProcessHostFolder::path() {
  // A path longer than the buffer comes back cut off, which would name some other folder.
  char buffer[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  return folderOfExecutable(std::string(buffer, length));
}

#else

std::string ProcessHostFolder::path() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
  return folderOfExecutable(std::string(buffer.data(), static_cast<std::size_t>(length)));
}

#endif

}  // namespace om6211
