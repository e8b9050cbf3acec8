#pragma once

#include "seams/PortIo.h"

namespace om6211 {

// Port access through the port I/O library DLPORTIO.DLL, which grants user programs access to
// the I/O ports on Windows. Its calls report no failure; they happen in call order.
//
// The library is bound on the first port operation, not imported: see DlPortIoPort.cpp. Where
// it cannot be loaded, every port operation raises PortFailure naming it, and the next one
// tries again. Once bound it stays loaded until the process ends: freeing it would fall to the
// DLL's unloading, where Windows forbids it.
class DlPortIoPort final : public PortIo {
 public:
  constexpr DlPortIoPort() = default;

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;

 private:
  using WriteCall = void(__stdcall*)(unsigned long port, unsigned char value);
  using ReadCall = unsigned char(__stdcall*)(unsigned long port);

  // Loads the library and resolves both calls, or raises PortFailure.
  void bind();

  ReadCall read_ = nullptr;
  WriteCall write_ = nullptr;  // set last: both are bound once it is
};

}  // namespace om6211
