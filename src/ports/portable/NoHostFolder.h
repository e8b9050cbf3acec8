#pragma once

#include <string>

#include "seams/HostFolder.h"

namespace om6211 {

// A host whose folder is unknown: there is no settings file below it.
class NoHostFolder final : public HostFolder {
 public:
  constexpr NoHostFolder() = default;

  std::string path() override { return {}; }
};

}  // namespace om6211
