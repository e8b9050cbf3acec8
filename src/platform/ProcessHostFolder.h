#pragma once

#include <string>

#include "platform/HostFolder.h"

namespace om6211 {

// The folder of the running executable, with its trailing separator; empty when the platform
// cannot tell (the settings file is then looked up relative to the working folder).
class ProcessHostFolder final : public HostFolder {
 public:
  constexpr ProcessHostFolder() = default;

  std::string path() override;
};

// The folder part of an executable path, trailing separator kept; empty when there is none.
std::string folderOfExecutable(const std::string& executablePath);

}  // namespace om6211
