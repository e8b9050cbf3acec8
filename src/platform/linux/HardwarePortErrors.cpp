#include "platform/linux/HardwarePortErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace om6211 {
namespace {

constexpr std::string_view LoadModules =
    "Load the parallel-port drivers with 'sudo modprobe parport_pc ppdev' (and check that the "
    "port is enabled in the firmware set-up).";
constexpr std::string_view JoinLpGroup =
    "Add your user to the lp group ('sudo usermod -aG lp $USER', then log in again), or give "
    "the device to your group with a udev rule.";
constexpr std::string_view UnloadLp =
    "Another driver holds the port, usually the printer driver lp: unload it with "
    "'sudo rmmod lp' (and blacklist lp to keep it from loading at boot).";
constexpr std::string_view UnloadLpOrNoPort =
    "Another driver holds the port, usually the printer driver lp: unload it with "
    "'sudo rmmod lp'. If lp is not loaded, no parallel port is behind this device (see "
    "'dmesg | grep parport').";
constexpr std::string_view NeedRawIo =
    "Direct port access needs root or the CAP_SYS_RAWIO capability: run as root, or "
    "'sudo setcap cap_sys_rawio+ep' on the program.";
constexpr std::string_view PortOutOfRange =
    "The kernel grants direct access only to ports it can map; give the port's base address "
    "as it appears in /proc/ioports.";

struct Remedy {
  std::string_view call;
  int error;
  std::string_view problem;
  std::string_view fix;
};

constexpr Remedy Remedies[] = {
    {"open", ENOENT, "no such device", LoadModules},
    {"open", ENODEV, "no such device", LoadModules},
    {"open", ENXIO, "no such device", LoadModules},
    {"open", EACCES, "permission denied", JoinLpGroup},
    {"open", EPERM, "permission denied", JoinLpGroup},
    {"open", EBUSY, "port busy", UnloadLp},
    {"PPCLAIM", EBUSY, "port busy", UnloadLp},
    {"PPCLAIM", ETIMEDOUT, "port busy", UnloadLp},
    {"PPCLAIM", ENXIO, "port busy or missing", UnloadLpOrNoPort},
    {"PPCLAIM", EACCES, "permission denied", JoinLpGroup},
    {"ioperm", EPERM, "permission denied", NeedRawIo},
    {"ioperm", EACCES, "permission denied", NeedRawIo},
    {"ioperm", EINVAL, "port out of range", PortOutOfRange},
};

std::string describe(int error) {
  return error == ETIMEDOUT ? "no claim within the wait" : std::strerror(error);
}

}  // namespace

PortOpenError portOpenError(std::string_view target, std::string_view call, int error) {
  std::string message(target);
  const auto* remedy = std::find_if(std::begin(Remedies), std::end(Remedies), [&](const Remedy& r) {
    return r.call == call && r.error == error;
  });
  message += ": ";
  message += remedy != std::end(Remedies) ? remedy->problem : "cannot be opened";
  message += " (" + std::string(call) + ": " + describe(error) + ")";
  if (remedy != std::end(Remedies)) {
    message += ". ";
    message += remedy->fix;
  }
  return PortOpenError(message);
}

std::string portFailureMessage(std::string_view target, std::string_view call, int error) {
  std::string message =
      std::string(call) + " on " + std::string(target) + " failed: " + std::strerror(error);
  if (error == EIO || error == ENXIO || error == ENODEV || error == EBADF) {
    message += "; the port went away (unplugged, or its driver was unloaded)";
  }
  return message;
}

}  // namespace om6211
