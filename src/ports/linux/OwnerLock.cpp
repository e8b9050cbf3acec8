#include "ports/linux/OwnerLock.h"

#include <sys/file.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

#include "ports/portable/Remedy.h"

namespace om6211 {

void lockOwnership(SystemCalls& calls, int fd, std::string_view target) {
  if (calls.flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return;
  throw PortOpenError(std::string(target) + " is in use by " + lockHolder(calls, fd) +
                          ". Stop that program first: two programs on one display garble both "
                          "pictures." +
                          troubleshootingReference("device-in-use"),
                      EBUSY);
}

std::string lockHolder(SystemCalls& calls, int fd) {
  uint64_t device = 0;
  uint64_t inode = 0;
  if (calls.fileIdentity(fd, device, inode) != 0) return "another process";
  // /proc/locks names a file as MAJOR:MINOR:INODE, the device numbers in hexadecimal.
  char file[64];
  std::snprintf(file, sizeof file, "%02x:%02x:%llu", major(device), minor(device),
                static_cast<unsigned long long>(inode));
  std::istringstream locks(calls.readFile("/proc/locks"));
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, advisory, access, pid, identity;
    fields >> number >> kind;
    if (kind != "FLOCK") continue;
    fields >> advisory >> access >> pid >> identity;
    if (identity != file) continue;
    std::string name = calls.readFile("/proc/" + pid + "/comm");
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return "process " + pid + (name.empty() ? "" : " (" + name + ")");
  }
  return "another process";
}

}  // namespace om6211
