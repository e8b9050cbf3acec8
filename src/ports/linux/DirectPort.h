#pragma once

#include <cstdint>

#include "ports/linux/SystemCalls.h"
#include "ports/portable/HardwarePort.h"

namespace om6211 {

// The port through plain x86 port instructions, exactly the operations of the Windows build:
// access is granted (ioperm) for the three registers at `hardwareBase` and for the delay port
// 0x220, then the driver's writes and reads become outb and inb. The grant belongs to the
// calling thread: use the port from the thread that opened it. Never use it on a port that
// the parallel-port device or the printer driver is using. On destruction access is withdrawn
// from what no other direct port of the process still uses. One program at a time holds a
// port base: its lock file, om6211-direct-BASE.lock in the lock directory.
class DirectPort final : public HardwarePort {
 public:
  // Raises PortOpenError, having granted nothing, on a machine without port instructions, when
  // another program holds the port base, or when the kernel refuses the grant.
  DirectPort(uint16_t hardwareBase, uint32_t portBase, SystemCalls& calls);
  ~DirectPort() override;

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;

 private:
  SystemCalls* calls_;
  uint16_t hardwareBase_;
  int lockFd_ = -1;  // none where the lock directory cannot be written
};

}  // namespace om6211
