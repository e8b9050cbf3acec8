#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fstream>
#include <optional>
#include <sstream>

#include "ports/linux/SystemCalls.h"

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define OM6211_HAS_PORT_INSTRUCTIONS 1
#else
#define OM6211_HAS_PORT_INSTRUCTIONS 0
#endif

namespace om6211 {
namespace {

// What the child's request gave (0 or its errno) as it reports it on `reply`, or none when no
// report came within `wait`.
std::optional<int> awaitReply(int reply, std::chrono::milliseconds wait) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ready{reply, POLLIN, 0};
    const int timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
    const int events = ::poll(&ready, 1, timeout);
    if (events < 0 && errno == EINTR) continue;
    if (events <= 0) return std::nullopt;
    int error = 0;
    const ssize_t got = ::read(reply, &error, sizeof error);
    if (got < 0 && errno == EINTR) continue;
    return got == sizeof error ? error : EIO;  // the child ended without a report
  }
}

// The child's whole life: the request, its result written to `reply`, the end. It is a copy
// of the caller, so only async-signal-safe calls, no exit handlers, and every signal stays
// blocked (as it was forked): none of the caller's handlers ever runs here. SIGKILL, which no
// mask holds back, ends it, and so does the caller's death.
[[noreturn]] void requestAndReport(int fd, unsigned long request, int reply, pid_t caller) {
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != caller) ::_exit(1);
  const int error = ::ioctl(fd, request, nullptr) == 0 ? 0 : errno;
  ::_exit(::write(reply, &error, sizeof error) == sizeof error ? 0 : 1);
}

class LinuxSystemCalls final : public SystemCalls {
 public:
  int open(const char* path, int flags) override { return ::open(path, flags, 0644); }
  int ioctl(int fd, unsigned long request, void* argument) override {
    return ::ioctl(fd, request, argument);
  }
  int close(int fd) override { return ::close(fd); }

  int flock(int fd, int operation) override { return ::flock(fd, operation); }
  int fileIdentity(int fd, uint64_t& device, uint64_t& inode) override {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return -1;
    device = status.st_dev;
    inode = status.st_ino;
    return 0;
  }
  std::string readFile(const std::string& path) override {
    std::ifstream file(path);
    std::ostringstream contents;
    contents << file.rdbuf();
    return file ? contents.str() : std::string();
  }
  std::string lockDirectory() const override { return "/run/lock"; }

  int ioctlInChild(int fd, unsigned long request, std::chrono::milliseconds wait) override {
    int reply[2];
    if (::pipe2(reply, O_CLOEXEC) != 0) return -1;
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t caller = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) requestAndReport(fd, request, reply[1], caller);
    const int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(reply[1]);
    if (child < 0) {
      ::close(reply[0]);
      errno = forkError;
      return -1;
    }
    const std::optional<int> result = awaitReply(reply[0], wait);
    ::close(reply[0]);
    if (!result) ::kill(child, SIGKILL);  // a wait in the kernel ends with the process
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (result == 0) return 0;
    errno = result.value_or(ETIMEDOUT);
    return -1;
  }

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
