#include "ports/linux/PpdevPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
// After sys/ioctl.h, which defines the request macros it uses.
#include <linux/ppdev.h>

#include <cerrno>

#include "ports/linux/HardwarePortErrors.h"

namespace om6211 {

PpdevPort::PpdevPort(const std::string& path, uint32_t portBase, SystemCalls& calls,
                     std::chrono::milliseconds claimWait)
    : HardwarePort(path, portBase), calls_(&calls) {
  fd_ = calls_->open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw portOpenError(path, "open", errno);
  if (calls_->ioctl(fd_, PPEXCL, nullptr) != 0) {
    const int error = errno;
    calls_->close(fd_);
    throw portOpenError(path, "PPEXCL", error);
  }
  // The claim waits as long as another driver holds the port. Made by a child process, it can
  // be given up with nothing left running here: the LCDd module may be unloaded right after.
  if (calls_->ioctlInChild(fd_, PPCLAIM, claimWait) != 0) {
    const int error = errno;
    calls_->close(fd_);
    throw portOpenError(path, "PPCLAIM", error);
  }
}

PpdevPort::~PpdevPort() {
  calls_->ioctl(fd_, PPRELEASE, nullptr);
  calls_->close(fd_);
}

void PpdevPort::control(unsigned long request, const char* call, uint8_t* byte) {
  if (calls_->ioctl(fd_, request, byte) != 0) {
    const int error = errno;
    fail(portFailureMessage(name(), call, error), meansDeviceLost(error));
  }
}

void PpdevPort::write(uint32_t port, uint8_t value) {
  if (port == portBase()) {
    control(PPWDATA, "PPWDATA", &value);
  } else if (port == portBase() + 2) {
    control(PPWCONTROL, "PPWCONTROL", &value);
  } else {
    refuse("write to", port);
  }
}

uint8_t PpdevPort::read(uint32_t port) {
  if (port != DelayPort && port != portBase() + 1) refuse("read of", port);
  uint8_t status = 0;
  control(PPRSTATUS, "PPRSTATUS", &status);
  return status;
}

}  // namespace om6211
