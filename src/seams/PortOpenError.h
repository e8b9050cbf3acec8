#pragma once

#include <cerrno>
#include <stdexcept>
#include <string>

namespace om6211 {

// A hardware port that could not be opened; the message names the problem and its fix. The
// error is the errno value that says the same to a program (ENOENT, EACCES, EBUSY, ...).
class PortOpenError : public std::runtime_error {
 public:
  explicit PortOpenError(const std::string& message, int error = ENODEV)
      : std::runtime_error(message), error_(error) {}

  int error() const { return error_; }

 private:
  int error_;
};

}  // namespace om6211
