#pragma once

#include <stdexcept>

namespace om6211 {

// A hardware port that could not be opened; the message names the problem and its fix.
class PortOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace om6211
