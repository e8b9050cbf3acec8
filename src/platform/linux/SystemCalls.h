#pragma once

#include <cstdint>

namespace om6211 {

// The kernel calls the Linux port back ends make, small enough to fake. Each behaves like the
// system call of its name: a failure returns -1 with errno set.
class SystemCalls {
 public:
  virtual ~SystemCalls() = default;

  virtual int open(const char* path, int flags) = 0;
  virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int close(int fd) = 0;

  // Whether this machine has I/O port instructions at all (x86 only); the three calls below
  // are made only when it has.
  virtual bool hasPortInstructions() const = 0;
  virtual int ioperm(unsigned long from, unsigned long count, int turnOn) = 0;
  virtual void outb(uint8_t value, uint16_t port) = 0;
  virtual uint8_t inb(uint16_t port) = 0;

 protected:
  SystemCalls() = default;
  SystemCalls(const SystemCalls&) = default;
  SystemCalls& operator=(const SystemCalls&) = default;
};

// The real calls into the kernel.
SystemCalls& realSystemCalls();

}  // namespace om6211
