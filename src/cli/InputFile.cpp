#include "cli/InputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/CommandLine.h"

namespace om6211::cli {

std::string readWholeFile(const std::string& path) {
  auto cannotRead = [&path] {
    return UsageError(path + ": cannot be read (" + std::strerror(errno) + ")");
  };
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) throw cannotRead();
  std::string contents;
  char chunk[1 << 16];
  std::size_t got = 0;
  // A folder opens like a file on some systems; reading it fails (EISDIR) and is caught here.
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) contents.append(chunk, got);
  if (std::ferror(file.get())) throw cannotRead();
  return contents;
}

}  // namespace om6211::cli
