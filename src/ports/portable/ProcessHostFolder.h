#pragma once

#include <string>

#include "ports/portable/FolderOfExecutable.h"
#include "seams/HostFolder.h"

namespace om6211 {

// The folder of the running executable, with its trailing separator; empty when the platform
// cannot tell (there is then no settings file, and the settings take their defaults).
class ProcessHostFolder final : public HostFolder {
 public:
  constexpr ProcessHostFolder() = default;

  std::string path() override;
};

}  // namespace om6211
