#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace om6211 {

// The kernel calls the Linux port back ends make, small enough to fake. Each behaves like the
// system call of its name: a failure returns -1 with errno set.
class SystemCalls {
 public:
  virtual ~SystemCalls() = default;

  // A file created (with O_CREAT) is readable by everyone, writable by its owner.
  virtual int open(const char* path, int flags) = 0;
  virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int close(int fd) = 0;
  // The ioctl `request` on `fd` (with no argument), made by a short-lived child process that
  // shares the open file description, so that a request the kernel keeps waiting can be given
  // up: after `wait` the child is killed. Either way the child has ended and been reaped when
  // this returns; nothing of the call goes on in this process. Returns 0, or -1 with errno
  // (ETIMEDOUT when the wait ran out).
  virtual int ioctlInChild(int fd, unsigned long request, std::chrono::milliseconds wait) = 0;

  // Advisory locks on open files, and what tells their holders.
  virtual int flock(int fd, int operation) = 0;
  // The device number and inode of the file open on `fd`, as fstat gives them.
  virtual int fileIdentity(int fd, uint64_t& device, uint64_t& inode) = 0;
  // The contents of a small file such as /proc/locks; empty when it cannot be read.
  virtual std::string readFile(const std::string& path) = 0;
  // The folder of lock files: /run/lock.
  virtual std::string lockDirectory() const = 0;

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
