#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/SystemCalls.h"

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define OM6211_HAS_PORT_INSTRUCTIONS 1
#else
#define OM6211_HAS_PORT_INSTRUCTIONS 0
#endif

namespace om6211 {
namespace {

class LinuxSystemCalls final : public SystemCalls {
 public:
  int open(const char* path, int flags) override { return ::open(path, flags); }
  int ioctl(int fd, unsigned long request, void* argument) override {
    return ::ioctl(fd, request, argument);
  }
  int close(int fd) override { return ::close(fd); }

#if OM6211_HAS_PORT_INSTRUCTIONS
  bool hasPortInstructions() const override {
    return true;
  }
  int ioperm(unsigned long from, unsigned long count, int turnOn) override {
    return ::ioperm(from, count, turnOn);
  }
  void outb(uint8_t value, uint16_t port) override {
    ::outb(value, port);
  }
  uint8_t inb(uint16_t port) override {
    return ::inb(port);
  }
#else
  bool hasPortInstructions() const override {
    return false;
  }
  int ioperm(unsigned long, unsigned long, int) override {
    errno = ENOSYS;
    return -1;
  }
  void outb(uint8_t, uint16_t) override {}
  uint8_t inb(uint16_t) override {
    return 0xFF;
  }
#endif
};

}  // namespace

SystemCalls& realSystemCalls() {
  static LinuxSystemCalls calls;
  return calls;
}

}  // namespace om6211
