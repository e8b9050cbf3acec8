#include "ports/portable/Hardware.h"

#include "seams/PortIo.h"

namespace om6211 {

void Hardware::fail(std::string message, bool deviceLost) {
  failures_.record(std::move(message));
  deviceLost_ = deviceLost;
  throw PortFailure(failures_.latest());
}

}  // namespace om6211
