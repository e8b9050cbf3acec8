#include "platform/linux/PpdevPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
// After sys/ioctl.h, which defines the request macros it uses.
#include <linux/ppdev.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace om6211 {
namespace {

// A claim made on a helper thread, so that the opener can stop waiting for it. When the opener
// has given up, the helper finishes the claim's business alone: releases what it got and
// closes the device.
struct ClaimAttempt {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool abandoned = false;
  int error = 0;
};

}  // namespace

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
  claim(claimWait);
}

void PpdevPort::claim(std::chrono::milliseconds wait) {
  auto attempt = std::make_shared<ClaimAttempt>();
  try {
    std::thread([attempt, calls = calls_, fd = fd_] {
      const bool claimed = calls->ioctl(fd, PPCLAIM, nullptr) == 0;
      const int error = claimed ? 0 : errno;
      std::lock_guard lock(attempt->mutex);
      if (attempt->abandoned) {
        if (claimed) calls->ioctl(fd, PPRELEASE, nullptr);
        calls->close(fd);
        return;
      }
      attempt->error = error;
      attempt->done = true;
      attempt->finished.notify_one();
    }).detach();
  } catch (const std::system_error&) {
    calls_->close(fd_);
    throw portOpenError(name(), "PPCLAIM", EAGAIN);
  }
  std::unique_lock lock(attempt->mutex);
  if (!attempt->finished.wait_for(lock, wait, [&] { return attempt->done; })) {
    attempt->abandoned = true;  // the helper closes the device when the claim returns
    throw portOpenError(name(), "PPCLAIM", ETIMEDOUT);
  }
  if (attempt->error != 0) {
    calls_->close(fd_);
    throw portOpenError(name(), "PPCLAIM", attempt->error);
  }
}

PpdevPort::~PpdevPort() {
  calls_->ioctl(fd_, PPRELEASE, nullptr);
  calls_->close(fd_);
}

void PpdevPort::control(unsigned long request, const char* call, uint8_t* byte) {
  if (calls_->ioctl(fd_, request, byte) != 0) fail(portFailureMessage(name(), call, errno));
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
