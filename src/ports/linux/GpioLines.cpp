#include "ports/linux/GpioLines.h"

#include <fcntl.h>
#include <linux/gpio.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "ports/linux/HardwarePortErrors.h"
#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

// Chips are numbered from 0; a name or label is looked up among this many.
constexpr int ChipsSearched = 64;

std::string text(const char (&field)[GPIO_MAX_NAME_SIZE]) {
  return std::string(field, strnlen(field, GPIO_MAX_NAME_SIZE));
}

// The chip's fd, closed on leaving unless released.
struct OpenChip {
  OpenChip(SystemCalls& calls, const std::string& path)
      : calls(&calls), fd(calls.open(path.c_str(), O_RDWR | O_CLOEXEC)) {}
  ~OpenChip() {
    if (fd >= 0) calls->close(fd);
  }
  OpenChip(const OpenChip&) = delete;
  OpenChip& operator=(const OpenChip&) = delete;

  bool info(gpiochip_info& chip) const {
    return calls->ioctl(fd, GPIO_GET_CHIPINFO_IOCTL, &chip) == 0;
  }

  SystemCalls* calls;
  int fd;
};

// The device of the chip named or labelled `chip`, e.g. "pinctrl-bcm2711".
std::string lookUp(const std::string& chip, SystemCalls& calls) {
  std::string seen;
  for (int number = 0; number < ChipsSearched; ++number) {
    const std::string path = "/dev/gpiochip" + std::to_string(number);
    OpenChip candidate(calls, path);
    gpiochip_info info{};
    if (candidate.fd < 0 || !candidate.info(info)) continue;
    if (text(info.name) == chip || text(info.label) == chip) return path;
    seen += (seen.empty() ? "" : ", ") + text(info.name) + " (" + text(info.label) + ")";
  }
  throw PortOpenError(chip + ": no GPIO chip has this name or label; the chips here are " +
                          (seen.empty() ? std::string("none that can be opened") : seen) +
                          ". Name one by its label, by gpiochipN or by its path." +
                          troubleshootingReference("gpio-chip-name"),
                      ENOENT);
}

// Why the kernel found a line busy: its consumer.
std::string busyMessage(const OpenChip& chip, const std::string& path,
                        std::span<const uint32_t> offsets) {
  for (uint32_t offset : offsets) {
    gpio_v2_line_info info{};
    info.offset = offset;
    if (chip.calls->ioctl(chip.fd, GPIO_V2_GET_LINEINFO_IOCTL, &info) != 0) continue;
    if ((info.flags & GPIO_V2_LINE_FLAG_USED) == 0) continue;
    const std::string consumer = text(info.consumer);
    return path + ": line " + std::to_string(offset) + " is in use by " +
           (consumer.empty() ? std::string("another driver") : "'" + consumer + "'") +
           ". Free it (stop the program or the overlay that holds it; SPI switched on holds "
           "lines 7-11 of a Raspberry Pi) or wire the module to another line." +
           troubleshootingReference("gpio-line-in-use");
  }
  return path + ": a line is in use (GPIO_V2_GET_LINE_IOCTL: " + std::strerror(EBUSY) +
         "). Free it or wire the module to other lines." +
         troubleshootingReference("gpio-line-in-use");
}

}  // namespace

GpioLines::GpioLines(const std::string& chip, std::span<const uint32_t> offsets, uint64_t levels,
                     SystemCalls& calls)
    : path_(chip.starts_with("/") ? chip : lookUp(chip, calls)), calls_(&calls) {
  OpenChip opened(calls, path_);
  if (opened.fd < 0) throw portOpenError(path_, "open", errno, DeviceKind::GpioChip);
  gpiochip_info info{};
  if (!opened.info(info)) {
    throw portOpenError(path_, "GPIO_GET_CHIPINFO_IOCTL", errno, DeviceKind::GpioChip);
  }
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const uint32_t offset = offsets[i];
    for (std::size_t j = 0; j < i; ++j) {
      if (offsets[j] == offset) {
        throw PortOpenError(path_ + ": line " + std::to_string(offset) +
                                " is named twice; each signal needs a line of its own." +
                                troubleshootingReference("gpio-line-twice"),
                            EINVAL);
      }
    }
    if (offset < info.lines) continue;
    throw PortOpenError(path_ + " (" + text(info.label) + ") has lines 0 to " +
                            std::to_string(info.lines - 1) + "; it has no line " +
                            std::to_string(offset) + ". Check the chip and the line numbers." +
                            troubleshootingReference("gpio-no-such-line"),
                        EINVAL);
  }

  gpio_v2_line_request request{};
  for (std::size_t i = 0; i < offsets.size(); ++i) request.offsets[i] = offsets[i];
  request.num_lines = static_cast<uint32_t>(offsets.size());
  std::strncpy(request.consumer, Consumer, sizeof request.consumer - 1);
  all_ = offsets.size() >= 64 ? ~uint64_t{0} : (uint64_t{1} << offsets.size()) - 1;
  request.config.flags = GPIO_V2_LINE_FLAG_OUTPUT;
  request.config.num_attrs = 1;
  request.config.attrs[0].attr.id = GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES;
  request.config.attrs[0].attr.values = levels & all_;
  request.config.attrs[0].mask = all_;
  if (calls.ioctl(opened.fd, GPIO_V2_GET_LINE_IOCTL, &request) != 0) {
    const int error = errno;
    if (error == EBUSY) throw PortOpenError(busyMessage(opened, path_, offsets), EBUSY);
    throw portOpenError(path_, "GPIO_V2_GET_LINE_IOCTL", error, DeviceKind::GpioChip);
  }
  // The request holds the lines; the chip itself is no longer needed.
  fd_ = request.fd;
  levels_ = levels & all_;
}

GpioLines::~GpioLines() {
  calls_->close(fd_);
}

int GpioLines::set(uint64_t levels, uint64_t mask) {
  mask &= all_;
  if (mask == 0) return 0;
  gpio_v2_line_values values{.bits = levels & mask, .mask = mask};
  if (calls_->ioctl(fd_, GPIO_V2_LINE_SET_VALUES_IOCTL, &values) != 0) return errno;
  levels_ = (levels_ & ~mask) | (levels & mask);
  return 0;
}

int GpioLines::read() {
  gpio_v2_line_values values{.bits = 0, .mask = all_};
  return calls_->ioctl(fd_, GPIO_V2_LINE_GET_VALUES_IOCTL, &values) != 0 ? errno : 0;
}

}  // namespace om6211
