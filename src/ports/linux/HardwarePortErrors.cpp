#include "ports/linux/HardwarePortErrors.h"

#include <cerrno>
#include <cstring>

#include "ports/portable/Remedy.h"

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

constexpr std::string_view NoGpioChip =
    "List the chips with 'ls /dev/gpiochip*'; the kernel needs its GPIO character device "
    "(Linux 5.10 or later). A chip can also be named by its label, e.g. pinctrl-bcm2711 on a "
    "Raspberry Pi 4.";
constexpr std::string_view JoinGpioGroup =
    "Add your user to the gpio group ('sudo usermod -aG gpio $USER', then log in again), or give "
    "the chip to your group with a udev rule.";
constexpr std::string_view OldGpioKernel =
    "The kernel lacks the GPIO character device's version 2 interface: Linux 5.10 or later "
    "is needed.";
constexpr std::string_view EnableSpi =
    "Switch SPI on: on a Raspberry Pi add 'dtparam=spi=on' to /boot/firmware/config.txt (or use "
    "raspi-config, Interface Options, SPI) and reboot; on other boards enable the board's SPI "
    "overlay and load the spidev module ('sudo modprobe spidev').";
constexpr std::string_view JoinSpiGroup =
    "Add your user to the spi group ('sudo usermod -aG spi $USER', then log in again), or give "
    "the device to your group with a udev rule.";
constexpr std::string_view SpiModeRefused =
    "The SPI controller refuses what the module needs (mode 3, 8 or 9 bits per word, the "
    "clock): wire the module to another SPI controller, or use the gpio: back end.";

constexpr Remedy ParallelPortRemedies[] = {
    {"open", {ENOENT, ENODEV, ENXIO}, "no such device", LoadModules, "parport-missing"},
    {"open", {EACCES, EPERM}, "permission denied", JoinLpGroup, "permission-parport"},
    {"open", EBUSY, "port busy", UnloadLp, "parport-busy"},
    {"PPCLAIM", {EBUSY, ETIMEDOUT}, "port busy", UnloadLp, "parport-busy"},
    {"PPCLAIM", ENXIO, "port busy or missing", UnloadLpOrNoPort, "parport-no-port"},
    {"PPCLAIM", EACCES, "permission denied", JoinLpGroup, "permission-parport"},
    {"ioperm", {EPERM, EACCES}, "permission denied", NeedRawIo, "permission-direct-io"},
    {"ioperm", EINVAL, "port out of range", PortOutOfRange, "direct-io-port-range"},
};
constexpr Remedy GpioChipRemedies[] = {
    {"open", {ENOENT, ENODEV, ENXIO}, "no such GPIO chip", NoGpioChip, "gpio-no-chip"},
    {"open", {EACCES, EPERM}, "permission denied", JoinGpioGroup, "permission-gpio"},
    {"GPIO_V2_GET_LINE_IOCTL",
     {EACCES, EPERM},
     "permission denied",
     JoinGpioGroup,
     "permission-gpio"},
    {"GPIO_V2_GET_LINE_IOCTL",
     {ENOTTY, EINVAL},
     "kernel too old",
     OldGpioKernel,
     "gpio-kernel-too-old"},
};
constexpr Remedy SpiDeviceRemedies[] = {
    {"open", {ENOENT, ENODEV, ENXIO}, "no such SPI device", EnableSpi, "spi-off"},
    {"open", {EACCES, EPERM}, "permission denied", JoinSpiGroup, "permission-spi"},
    {"SPI_IOC_WR_MODE", EINVAL, "mode 3 refused", SpiModeRefused, "spi-refused"},
    {"SPI_IOC_WR_BITS_PER_WORD", EINVAL, "word size refused", SpiModeRefused, "spi-refused"},
    {"SPI_IOC_WR_MAX_SPEED_HZ", EINVAL, "clock refused", SpiModeRefused, "spi-refused"},
};

std::string describe(int error) {
  return error == ETIMEDOUT ? "no claim within the wait" : std::strerror(error);
}

}  // namespace

std::span<const Remedy> remediesOf(DeviceKind device) {
  switch (device) {
    case DeviceKind::GpioChip:
      return GpioChipRemedies;
    case DeviceKind::SpiDevice:
      return SpiDeviceRemedies;
    case DeviceKind::ParallelPort:
      break;
  }
  return ParallelPortRemedies;
}

PortOpenError portOpenError(std::string_view target, std::string_view call, int error,
                            DeviceKind device) {
  return PortOpenError(
      openFailureMessage(target, call, describe(error), remedyFor(remediesOf(device), call, error)),
      error);
}

bool meansDeviceLost(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

std::string portFailureMessage(std::string_view target, std::string_view call, int error) {
  std::string message =
      std::string(call) + " on " + std::string(target) + " failed: " + std::strerror(error);
  if (meansDeviceLost(error)) {
    message += "; the device went away (unplugged, or its driver was unloaded)." +
               troubleshootingReference("device-went-away");
  }
  return message;
}

}  // namespace om6211
