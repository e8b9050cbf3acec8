#include "ports/portable/Hardware.h"

#include "seams/PortIo.h"

namespace om6211 {

void Hardware::fail(std::string message, bool deviceLost) {
  ++failureCount_;
  deviceLost_ = deviceLost;
  lastFailure_ = std::move(message);
  throw PortFailure(lastFailure_);
}

}  // namespace om6211
