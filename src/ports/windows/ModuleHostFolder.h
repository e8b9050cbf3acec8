#pragma once

#include <string>

#include "seams/HostFolder.h"

namespace om6211 {

// The folder of the host's executable on Windows (GetModuleFileNameA of the process's main
// module), with its trailing backslash; empty when Windows cannot tell.
class ModuleHostFolder final : public HostFolder {
 public:
  constexpr ModuleHostFolder() = default;

  std::string path() override;
};

}  // namespace om6211
