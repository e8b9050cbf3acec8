#include "ports/portable/ProcessHostFolder.h"

#include <unistd.h>

#include <vector>

namespace om6211 {

std::string ProcessHostFolder::path() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return {};
  return folderOfExecutable(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

}  // namespace om6211
