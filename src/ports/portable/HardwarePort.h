#pragma once

#include <cstdint>
#include <string>

#include "ports/portable/Hardware.h"
#include "seams/PortIo.h"

namespace om6211 {

// A real device driven as a parallel port.
//
// The driver addresses the port as the Windows driver does: writes to `portBase` (data
// register) and `portBase` + 2 (control register), and reads of the delay port 0x220 for its
// delay unit. A hardware port carries exactly these, plus reads of `portBase` + 1 (the status
// register); any other address raises PortFailure and touches nothing, since it would reach
// hardware that is not the display's.
//
// A failed register access raises PortFailure with a message naming the access and the port.
class HardwarePort : public PortIo, public Hardware {
 public:
  // The address the driver reads for its delay unit.
  static constexpr uint32_t DelayPort = 0x220;

 protected:
  HardwarePort(std::string name, uint32_t portBase)
      : Hardware(std::move(name)), portBase_(portBase) {}

  uint32_t portBase() const { return portBase_; }
  // Raises PortFailure for an address this port does not carry.
  [[noreturn]] void refuse(const char* access, uint32_t port);

 private:
  uint32_t portBase_;
};

}  // namespace om6211
