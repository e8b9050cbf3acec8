#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace om6211 {

// The failures of one device's I/O: how many there were, and the message of the latest. Each
// back end keeps one, so that a caller can tell a failure it was not told of by an exception.
class FailureRecord {
 public:
  uint64_t count() const { return count_; }
  // The message of the latest failure; empty while there has been none.
  const std::string& latest() const { return latest_; }

  void record(std::string message) {
    ++count_;
    latest_ = std::move(message);
  }

 private:
  uint64_t count_ = 0;
  std::string latest_;
};

}  // namespace om6211
