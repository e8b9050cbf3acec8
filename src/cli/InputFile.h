#pragma once

#include <string>

namespace om6211::cli {

// The whole contents of a file the tool reads. Raises UsageError "PATH: cannot be read (why)"
// when it cannot be opened or read to its end - a folder given where a file is expected too.
std::string readWholeFile(const std::string& path);

}  // namespace om6211::cli
