#pragma once

#include "seams/PortIo.h"

namespace om6211 {

// Port access through the port I/O library DLPORTIO.DLL, which grants user programs access to
// the I/O ports on Windows. Its calls report no failure; they happen in call order.
class DlPortIoPort final : public PortIo {
 public:
  constexpr DlPortIoPort() = default;

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;
};

}  // namespace om6211
