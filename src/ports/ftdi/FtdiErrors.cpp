#include "ports/ftdi/FtdiErrors.h"

#include <cerrno>
#include <cstdio>

#include "ports/portable/Remedy.h"
#include "seams/PortOpenError.h"

namespace om6211 {
namespace {

constexpr std::string_view PlugIn =
    "Plug the adapter in: 'lsusb' should list it with ID 0403:6001 (FT232R), 0403:6010 "
    "(FT2232), 0403:6011 (FT4232H), 0403:6014 (FT232H) or 0403:6015 (FT-X); an adapter with "
    "other IDs is named with i:VENDOR:PRODUCT.";
constexpr std::string_view NameOne =
    "Name one of the devices found (i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL or "
    "d:BUS/DEVICE), or leave the description out for the first one.";
constexpr std::string_view UdevRule =
    "Give your user the adapter with the udev rule /usr/lib/udev/rules.d/60-om6211-ftdi.rules "
    "(then 'sudo udevadm control --reload' and plug the adapter in again), or run as root.";
constexpr std::string_view FreeInterface =
    "The kernel's serial driver ftdi_sio, or another program, holds the adapter and could not "
    "be detached: close any program using its serial port (/dev/ttyUSB*), or unload the driver "
    "with 'sudo rmmod ftdi_sio' (it loads again when an adapter is plugged in).";
constexpr std::string_view Syntax =
    "A description is i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL or d:BUS/DEVICE, the "
    "numbers as C writes them (0x0403, 1).";

constexpr Remedy Remedies[] = {
    {"ftdi_usb_find_all", 0, "no FTDI device found", PlugIn, "ftdi-not-found", ENODEV, true},
    {"ftdi_usb_open_string", -3, "no such FTDI device", NameOne, "ftdi-name-one", ENODEV, true},
    {"ftdi_usb_open_string", -4, "the USB device cannot be opened, usually for want of permission",
     UdevRule, "permission-ftdi", EACCES},
    {"ftdi_usb_open_string", -8, "permission denied", UdevRule, "permission-ftdi", EACCES},
    {"ftdi_usb_open_string", -5, "interface A is held by another driver", FreeInterface,
     "ftdi-interface-busy", EBUSY},
    {"ftdi_usb_open_string", -11, "not a device description", Syntax, "ftdi-selection", EINVAL},
};

// What a chip lacks, by whether it has synchronous bit-bang: the fix, and its section.
struct MissingMode {
  std::string_view fix;
  std::string_view anchor;
};
constexpr MissingMode NoMpsse = {
    "MPSSE needs an FT232H, FT2232H, FT4232H or FT2232D; use "
    "mode=bitbang.",
    "ftdi-no-mpsse"};
constexpr MissingMode NoBitbang = {"Use an FT232R, FT2232, FT232H or an FT-X series chip.",
                                   "ftdi-no-bitbang"};

std::string listed(const std::vector<FtdiDeviceInfo>& found) {
  if (found.empty()) return "FTDI devices found: none.";
  std::string text = "FTDI devices found:";
  for (const FtdiDeviceInfo& device : found) {
    char identity[64];
    std::snprintf(identity, sizeof identity, " i:0x%04x:0x%04x", device.vendor, device.product);
    text += identity;
    // A transport that cannot tell where on the USB a device is names none.
    if (device.bus != 0) {
      text += " at d:" + std::to_string(device.bus) + "/" + std::to_string(device.address);
    }
    if (device.stringsRead) {
      // D2XX tells no manufacturer.
      const std::string names = device.manufacturer.empty()
                                    ? device.description
                                    : device.manufacturer + " " + device.description;
      text += " \"" + names + "\" serial \"" + device.serial + "\"";
    } else {
      text += " (its names unreadable, no permission?)";
    }
    text += &device == &found.back() ? "." : ";";
  }
  return text;
}

}  // namespace

std::span<const Remedy> libftdiRemedies() {
  return Remedies;
}

PortOpenError ftdiOpenError(std::string_view target, std::string_view call, int code,
                            std::string_view message, const std::vector<FtdiDeviceInfo>& found,
                            std::span<const Remedy> remedies) {
  const Remedy* remedy = remedyFor(remedies, call, code);
  // Naming another device helps only when there is one: the fix is then the transport's for
  // no device found.
  Remedy plugIn;
  const Remedy* noDevice = remedyFor(remedies, "ftdi_usb_find_all", 0);
  if (remedy != nullptr && remedy->showsFindings && found.empty() && noDevice != nullptr) {
    plugIn = *remedy;
    plugIn.fix = noDevice->fix;
    plugIn.anchor = noDevice->anchor;
    remedy = &plugIn;
  }
  const std::string detail =
      message.empty() ? "error " + std::to_string(code) : std::string(message);
  // libftdi's other failures are libusb's, on the USB device: an input/output error.
  return PortOpenError(openFailureMessage(target, call, detail, remedy, listed(found)),
                       remedy != nullptr ? remedy->error : EIO);
}

PortOpenError ftdiModeError(std::string_view target, FtdiChip chip, std::string_view mode) {
  const MissingMode& missing = traitsOf(chip).synchronousBitbang ? NoMpsse : NoBitbang;
  return PortOpenError(std::string(target) + ": the " + std::string(traitsOf(chip).name) +
                           " has no " + std::string(mode) + ". " + std::string(missing.fix) +
                           troubleshootingReference(missing.anchor),
                       ENOTSUP);
}

std::string ftdiFailureMessage(std::string_view target, std::string_view call,
                               std::string_view message) {
  return std::string(call) + " on " + std::string(target) + " failed: " + std::string(message) +
         "; the adapter went away (unplugged) or stopped answering." +
         troubleshootingReference("ftdi-went-away");
}

}  // namespace om6211
