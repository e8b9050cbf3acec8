#pragma once

#include <chrono>
#include <string>

#include "ports/linux/SystemCalls.h"
#include "ports/portable/HardwarePort.h"

namespace om6211 {

// The port through the kernel's parallel-port device (/dev/parportN): opened, claimed for
// exclusive use, and driven with register ioctls — PPWDATA for the data register, PPWCONTROL
// for the control register and PPRSTATUS for the delay unit, which cannot reach port 0x220
// through this device and reads the port's own status register instead (one bus read all the
// same). Released and closed on destruction.
class PpdevPort final : public HardwarePort {
 public:
  // A claim that has not come through within this wait means another driver holds the port.
  static constexpr std::chrono::milliseconds DefaultClaimWait{3000};

  // Raises PortOpenError, leaving nothing open or running, when the device cannot be opened
  // or claimed within `claimWait`.
  PpdevPort(const std::string& path, uint32_t portBase, SystemCalls& calls,
            std::chrono::milliseconds claimWait = DefaultClaimWait);
  ~PpdevPort() override;

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;

 private:
  void control(unsigned long request, const char* call, uint8_t* byte);

  SystemCalls* calls_;
  int fd_ = -1;
};

}  // namespace om6211
