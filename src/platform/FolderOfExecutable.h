#pragma once

#include <string>

namespace om6211 {

// The folder part of an executable path, trailing separator kept; empty when there is none.
inline std::string folderOfExecutable(const std::string& executablePath) {
  const auto separator = executablePath.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : executablePath.substr(0, separator + 1);
}

}  // namespace om6211
