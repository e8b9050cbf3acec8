#pragma once

#include <string>

namespace om6211 {

// The folder that holds the host program's executable, with its trailing separator.
class HostFolder {
 public:
  virtual std::string path() = 0;

 protected:
  constexpr HostFolder() = default;
  HostFolder(const HostFolder&) = default;
  HostFolder& operator=(const HostFolder&) = default;
  ~HostFolder() = default;
};

}  // namespace om6211
