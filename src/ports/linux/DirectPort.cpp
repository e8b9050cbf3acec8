#include "ports/linux/DirectPort.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>

#include "ports/linux/HardwarePortErrors.h"
#include "ports/linux/OwnerLock.h"
#include "ports/linux/PortGrants.h"
#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

constexpr unsigned long RegisterCount = 3;

std::string directName(uint16_t base) {
  char name[16];
  std::snprintf(name, sizeof name, "direct:%x", static_cast<unsigned>(base));
  return name;
}

}  // namespace

DirectPort::DirectPort(uint16_t hardwareBase, uint32_t portBase, SystemCalls& calls)
    : HardwarePort(directName(hardwareBase), portBase),
      calls_(&calls),
      hardwareBase_(hardwareBase) {
  if (!calls_->hasPortInstructions()) {
    throw PortOpenError(name() +
                            ": direct port access exists only on x86 machines; on this one use "
                            "the parallel-port device, ppdev:/dev/parport0." +
                            troubleshootingReference("direct-io-not-x86"),
                        ENOTSUP);
  }
  char lockFile[32];
  std::snprintf(lockFile, sizeof lockFile, "/om6211-direct-%x.lock",
                static_cast<unsigned>(hardwareBase_));
  const std::string lockPath = calls_->lockDirectory() + lockFile;
  lockFd_ = calls_->open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC);
  try {
    if (lockFd_ >= 0) lockOwnership(*calls_, lockFd_, name());
    if (holdPorts(*calls_, hardwareBase_, RegisterCount) != 0) {
      throw portOpenError(name(), "ioperm", errno);
    }
    if (holdPorts(*calls_, DelayPort, 1) != 0) {
      const int error = errno;
      releasePorts(*calls_, hardwareBase_, RegisterCount);
      throw portOpenError(name(), "ioperm", error);
    }
  } catch (...) {
    if (lockFd_ >= 0) calls_->close(lockFd_);
    throw;
  }
}

DirectPort::~DirectPort() {
  releasePorts(*calls_, DelayPort, 1);
  releasePorts(*calls_, hardwareBase_, RegisterCount);
  if (lockFd_ >= 0) calls_->close(lockFd_);
}

void DirectPort::write(uint32_t port, uint8_t value) {
  if (port != portBase() && port != portBase() + 2) refuse("write to", port);
  calls_->outb(value, static_cast<uint16_t>(hardwareBase_ + (port - portBase())));
}

uint8_t DirectPort::read(uint32_t port) {
  if (port == DelayPort) return calls_->inb(DelayPort);
  if (port != portBase() + 1) refuse("read of", port);
  return calls_->inb(static_cast<uint16_t>(hardwareBase_ + 1));
}

}  // namespace om6211
