// Preloaded into LCDd (LD_PRELOAD) by the claim time-out scenario: a parallel-port device whose
// port another driver holds for ever. Opening the path named by OM6211_SHIM_DEVICE gives a
// descriptor (on /dev/null) on which every ioctl succeeds at once except PPCLAIM, which waits
// until its thread is killed. Each ioctl on it is first logged to OM6211_SHIM_LOG as
// "PROCESS THREAD REQUEST" (decimal ids, the request in hexadecimal). Everything else goes to
// the C library.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
// After sys/ioctl.h, which defines the request macros it uses.
#include <linux/ppdev.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using OpenCall = int (*)(const char*, int, ...);
using IoctlCall = int (*)(int, unsigned long, ...);

int shimFd = -1;

OpenCall libraryOpen() {
  static const auto call = reinterpret_cast<OpenCall>(dlsym(RTLD_NEXT, "open"));
  return call;
}

void note(unsigned long request) {
  const char* path = std::getenv("OM6211_SHIM_LOG");
  if (path == nullptr) return;
  char line[96];
  const int length = std::snprintf(line, sizeof line, "%d %d %lx\n", static_cast<int>(getpid()),
                                   static_cast<int>(gettid()), request);
  const int log = libraryOpen()(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (log < 0) return;
  if (write(log, line, static_cast<size_t>(length)) != length) std::abort();
  close(log);
}

int openFile(const char* path, int flags, mode_t mode) {
  const char* device = std::getenv("OM6211_SHIM_DEVICE");
  if (device != nullptr && path != nullptr && std::strcmp(path, device) == 0) {
    shimFd = libraryOpen()("/dev/null", O_RDWR | O_CLOEXEC);
    return shimFd;
  }
  return libraryOpen()(path, flags, mode);
}

mode_t modeArgument(int flags, va_list arguments) {
  const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
  return creates ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = modeArgument(flags, arguments);
  va_end(arguments);
  return openFile(path, flags, mode);
}

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  if (shimFd < 0 || fd != shimFd) {
    static const auto call = reinterpret_cast<IoctlCall>(dlsym(RTLD_NEXT, "ioctl"));
    return call(fd, request, argument);
  }
  note(request);
  if (request == PPCLAIM) {
    for (;;) pause();
  }
  return 0;
}
