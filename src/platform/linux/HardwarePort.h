#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/PortIo.h"
#include "platform/PortSelection.h"
#include "platform/linux/HardwarePortErrors.h"
#include "platform/linux/SystemCalls.h"

namespace om6211 {

// A real parallel port, held from opening until destruction.
//
// The driver addresses the port as the Windows driver does: writes to `portBase` (data
// register) and `portBase` + 2 (control register), and reads of the delay port 0x220 for its
// delay unit. A hardware port carries exactly these, plus reads of `portBase` + 1 (the status
// register); any other address raises PortFailure and touches nothing, since it would reach
// hardware that is not the display's.
//
// A failed register access raises PortFailure with a message naming the access and the port;
// the port counts its failures so that a caller can tell a failure the driver absorbed.
class HardwarePort : public PortIo {
 public:
  HardwarePort(const HardwarePort&) = delete;
  HardwarePort& operator=(const HardwarePort&) = delete;
  // Releases the port.
  virtual ~HardwarePort() = default;

  // "/dev/parport0", "direct:378".
  const std::string& name() const { return name_; }
  uint64_t failureCount() const { return failureCount_; }
  // The message of the latest failure; empty while there has been none.
  const std::string& lastFailure() const { return lastFailure_; }

  // The address the driver reads for its delay unit.
  static constexpr uint32_t DelayPort = 0x220;

 protected:
  HardwarePort(std::string name, uint32_t portBase) : name_(std::move(name)), portBase_(portBase) {}

  uint32_t portBase() const { return portBase_; }
  // Records the failure and raises it.
  [[noreturn]] void fail(std::string message);
  // Raises PortFailure for an address this port does not carry.
  [[noreturn]] void refuse(const char* access, uint32_t port);

 private:
  std::string name_;
  uint32_t portBase_;
  uint64_t failureCount_ = 0;
  std::string lastFailure_;
};

// Opens the real port `selection` names, for a driver configured with the data register
// `portBase` (for "direct:BASE" the driver's registers at `portBase` are carried to those at
// BASE); none for the virtual panel, which is no hardware. Raises PortOpenError, leaving nothing
// open or claimed, when the port cannot be had; the message names the fix.
std::unique_ptr<HardwarePort> openHardwarePort(const PortSelection& selection, uint32_t portBase,
                                               SystemCalls& calls);
std::unique_ptr<HardwarePort> openHardwarePort(const PortSelection& selection, uint32_t portBase);

}  // namespace om6211
