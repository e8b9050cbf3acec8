#pragma once

#include <fcntl.h>
#include <linux/gpio.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "panel/ModulePins.h"
#include "ports/linux/SystemCalls.h"

namespace om6211::testing {

// A board behind the system-call seam: GPIO chips and an SPI device, with the display module
// wired to them. Line levels and SPI bits reach the module's pins, so its glass shows what the
// real module would; every call is counted, any call can fail with any errno, and what stays
// open is known. The lines start low, as undriven lines read. A chip or the SPI device can be
// unplugged: its files opened before are dead from then on (ENODEV), opening it fails (ENOENT)
// until it is plugged in again, and the module's lines fall low. Another program can hold the
// SPI device's lock.
class FakeBoard final : public SystemCalls {
 public:
  enum class Pin { Data, Clock, Reset, Backlight, ChipSelect };

  struct Chip {
    std::string path;
    std::string name;
    std::string label;
    uint32_t lines;
    std::map<uint32_t, std::string> heldBy;  // lines another consumer holds
  };
  struct Transfer {
    uint32_t bytes;
    uint8_t bitsPerWord;
    uint32_t speedHz;
  };

  FakeBoard() {
    chips.push_back({"/dev/gpiochip0", "gpiochip0", "pinctrl-bcm2711", 58, {}});
    chips.push_back({"/dev/gpiochip1", "gpiochip1", "raspberrypi-exp-gpio", 8, {}});
    module.set(pins_);
  }

  void unplug(const std::string& path) {
    unplugged_.insert(path);
    for (auto& [fd, opened] : openedFrom_) {
      if (opened == path) dead_.insert(fd);
    }
    std::erase_if(held_, [&](const auto& line) { return line.first == path; });
    pins_ = Undriven;
    module.set(pins_);
  }
  void replug(const std::string& path) { unplugged_.erase(path); }
  // Unplugs `path` just before the `occurrence`-th call named `name`, which then fails.
  void unplugAt(const std::string& path, const std::string& name, int occurrence) {
    unplugAt_[{name, occurrence}] = path;
  }
  // Another process's lock on `path`: its process id and name.
  std::map<std::string, std::pair<int, std::string>> lockedBy;

  // Connects line `offset` of `chip` to a module pin.
  void wire(const std::string& chip, uint32_t offset, Pin pin) { wiring_[{chip, offset}] = pin; }
  // Fails the `occurrence`-th call named `name` ("open", "SPI_IOC_MESSAGE", ...) with `error`.
  void failCall(const std::string& name, int error, int occurrence = 1) {
    failures_[{name, occurrence}] = error;
  }

  std::vector<Chip> chips;
  std::string spiDevice = "/dev/spidev0.0";
  bool spiTakesNineBits = true;  // a Raspberry Pi's controller takes only 8

  panel::ModulePins module;
  std::vector<Transfer> transfers;
  uint32_t spiMode = 0;
  uint32_t spiSpeed = 0;
  std::map<std::string, uint64_t> calls;  // how often each call was made
  std::vector<std::string> consumers;     // of every line request
  uint64_t ioctls() const {
    uint64_t count = 0;
    for (const auto& [name, n] : calls)
      count += name.starts_with("open") || name == "close" ? 0 : n;
    return count;
  }
  const std::set<int>& openFds() const { return open_; }

  int open(const char* path, int) override {
    if (!unplugged_.contains(path)) {
      for (std::size_t i = 0; i < chips.size(); ++i) {
        if (chips[i].path == path) return opened("open", ChipFd + static_cast<int>(i), path);
      }
      if (spiDevice == path) return opened("open", SpiFd, path);
    }
    count("open");
    errno = ENOENT;
    return -1;
  }
  int close(int fd) override {
    count("close");
    if (open_.erase(fd) != 1) return fail(EBADF);
    dead_.erase(fd);
    if (fd >= RequestFd) {
      const Request& request = requests_[static_cast<std::size_t>(fd - RequestFd)];
      for (uint32_t offset : request.offsets) held_.erase({request.chip, offset});
    }
    return 0;
  }
  int ioctl(int fd, unsigned long request, void* argument) override {
    if (!open_.contains(fd)) return fail(EBADF);
    if (dead_.contains(fd)) return fail(ENODEV);
    if (fd == SpiFd) return spi(request, argument);
    if (fd >= RequestFd) return lines(fd, request, argument);
    return chip(chips[static_cast<std::size_t>(fd - ChipFd)], request, argument);
  }
  int ioctlInChild(int fd, unsigned long request, std::chrono::milliseconds) override {
    return ioctl(fd, request, nullptr);
  }

  int flock(int fd, int) override {
    if (const int error = count("flock")) return fail(error);
    const auto path = openedFrom_.find(fd);
    return path != openedFrom_.end() && lockedBy.contains(path->second) ? fail(EWOULDBLOCK) : 0;
  }
  int fileIdentity(int fd, uint64_t& device, uint64_t& inode) override {
    device = makedev(0, 5);
    inode = static_cast<uint64_t>(fd);
    return 0;
  }
  std::string readFile(const std::string& path) override {
    std::string text;
    for (const auto& [locked, holder] : lockedBy) {
      for (const auto& [fd, opened] : openedFrom_) {
        if (opened != locked) continue;
        if (path == "/proc/locks") {
          text += "1: FLOCK  ADVISORY  WRITE " + std::to_string(holder.first) +
                  " 00:05:" + std::to_string(fd) + " 0 EOF\n";
        } else if (path == "/proc/" + std::to_string(holder.first) + "/comm") {
          return holder.second + "\n";
        }
      }
    }
    return text;
  }
  std::string lockDirectory() const override { return "/run/lock"; }

  bool hasPortInstructions() const override { return false; }
  int ioperm(unsigned long, unsigned long, int) override { return fail(ENOSYS); }
  void outb(uint8_t, uint16_t) override {}
  uint8_t inb(uint16_t) override { return 0xFF; }

 private:
  static constexpr int ChipFd = 10;
  static constexpr int SpiFd = 50;
  static constexpr int RequestFd = 100;

  struct Request {
    std::string chip;
    std::vector<uint32_t> offsets;
  };

  static int fail(int error) {
    errno = error;
    return -1;
  }
  // Counts the call; the errno it is to fail with, 0 for none.
  int count(const std::string& name) {
    const int occurrence = static_cast<int>(++calls[name]);
    if (const auto path = unplugAt_.find({name, occurrence}); path != unplugAt_.end()) {
      unplug(path->second);
      return ENODEV;
    }
    const auto failure = failures_.find({name, occurrence});
    return failure == failures_.end() ? 0 : failure->second;
  }
  int opened(const std::string& name, int fd, const std::string& path) {
    if (const int error = count(name)) return fail(error);
    open_.insert(fd);
    dead_.erase(fd);
    openedFrom_[fd] = path;
    return fd;
  }

  int chip(const Chip& chip, unsigned long request, void* argument) {
    switch (request) {
      case GPIO_GET_CHIPINFO_IOCTL: {
        if (const int error = count("GPIO_GET_CHIPINFO_IOCTL")) return fail(error);
        auto& info = *static_cast<gpiochip_info*>(argument);
        std::strncpy(info.name, chip.name.c_str(), sizeof info.name - 1);
        std::strncpy(info.label, chip.label.c_str(), sizeof info.label - 1);
        info.lines = chip.lines;
        return 0;
      }
      case GPIO_V2_GET_LINEINFO_IOCTL: {
        if (const int error = count("GPIO_V2_GET_LINEINFO_IOCTL")) return fail(error);
        auto& info = *static_cast<gpio_v2_line_info*>(argument);
        if (auto held = chip.heldBy.find(info.offset); held != chip.heldBy.end()) {
          info.flags |= GPIO_V2_LINE_FLAG_USED;
          std::strncpy(info.consumer, held->second.c_str(), sizeof info.consumer - 1);
        }
        return 0;
      }
      case GPIO_V2_GET_LINE_IOCTL: {
        if (const int error = count("GPIO_V2_GET_LINE_IOCTL")) return fail(error);
        auto& line = *static_cast<gpio_v2_line_request*>(argument);
        Request made{chip.path, {line.offsets, line.offsets + line.num_lines}};
        for (uint32_t offset : made.offsets) {
          if (offset >= chip.lines) return fail(EINVAL);
          if (chip.heldBy.contains(offset) || held_.contains({chip.path, offset})) {
            return fail(EBUSY);
          }
        }
        if (line.config.flags != GPIO_V2_LINE_FLAG_OUTPUT) return fail(EINVAL);
        for (uint32_t offset : made.offsets) held_.insert({chip.path, offset});
        consumers.push_back(line.consumer);
        line.fd = RequestFd + static_cast<int>(requests_.size());
        requests_.push_back(made);
        open_.insert(line.fd);
        openedFrom_[line.fd] = chip.path;
        apply(made, line.config.attrs[0].attr.values, line.config.attrs[0].mask);
        return 0;
      }
      default:
        return fail(EINVAL);
    }
  }

  int lines(int fd, unsigned long request, void* argument) {
    const Request& held = requests_[static_cast<std::size_t>(fd - RequestFd)];
    auto& values = *static_cast<gpio_v2_line_values*>(argument);
    switch (request) {
      case GPIO_V2_LINE_SET_VALUES_IOCTL:
        if (const int error = count("GPIO_V2_LINE_SET_VALUES_IOCTL")) return fail(error);
        apply(held, values.bits, values.mask);
        return 0;
      case GPIO_V2_LINE_GET_VALUES_IOCTL:
        if (const int error = count("GPIO_V2_LINE_GET_VALUES_IOCTL")) return fail(error);
        return 0;
      default:
        return fail(EINVAL);
    }
  }

  // Sets the lines of a request at once, then shows the module its pins.
  void apply(const Request& request, uint64_t bits, uint64_t mask) {
    for (std::size_t i = 0; i < request.offsets.size(); ++i) {
      if ((mask >> i & 1) == 0) continue;
      const auto pin = wiring_.find({request.chip, request.offsets[i]});
      if (pin == wiring_.end()) continue;
      const bool high = (bits >> i & 1) != 0;
      switch (pin->second) {
        case Pin::Data:
          pins_.data = high;
          break;
        case Pin::Clock:
          pins_.clock = high;
          break;
        case Pin::Reset:
          pins_.resetReleased = high;
          break;
        case Pin::Backlight:
          pins_.backlight = high;
          break;
        case Pin::ChipSelect:
          pins_.chipSelected = !high;
          break;
      }
    }
    module.set(pins_);
  }

  int spi(unsigned long request, void* argument) {
    if (request == SPI_IOC_WR_MODE) {
      if (const int error = count("SPI_IOC_WR_MODE")) return fail(error);
      spiMode = *static_cast<uint8_t*>(argument);
      pins_.clock = (spiMode & SPI_CPOL) != 0;  // the clock goes to its idle level
      module.set(pins_);
      return 0;
    }
    if (request == SPI_IOC_WR_BITS_PER_WORD) {
      if (const int error = count("SPI_IOC_WR_BITS_PER_WORD")) return fail(error);
      const uint8_t bits = *static_cast<uint8_t*>(argument);
      return bits == 8 || (bits == 9 && spiTakesNineBits) ? 0 : fail(EINVAL);
    }
    if (request == SPI_IOC_WR_MAX_SPEED_HZ) {
      if (const int error = count("SPI_IOC_WR_MAX_SPEED_HZ")) return fail(error);
      spiSpeed = *static_cast<uint32_t*>(argument);
      return 0;
    }
    if (request != SPI_IOC_MESSAGE(1)) return fail(EINVAL);
    const auto& message = *static_cast<const spi_ioc_transfer*>(argument);
    const int error = count("SPI_IOC_MESSAGE");
    if (message.len > 4096) return fail(EMSGSIZE);
    if (message.bits_per_word == 9 && !spiTakesNineBits) return fail(EINVAL);
    transfers.push_back({message.len, message.bits_per_word, message.speed_hz});
    // A failing transfer gets half its bits out first: its fate is unknown to the sender.
    const auto* bytes = reinterpret_cast<const uint8_t*>(message.tx_buf);
    std::vector<bool> bits;
    if (message.bits_per_word == 9) {
      for (uint32_t i = 0; i + 1 < message.len; i += 2) {
        uint16_t word = 0;
        std::memcpy(&word, bytes + i, 2);
        for (int bit = 8; bit >= 0; --bit) bits.push_back((word >> bit & 1) != 0);
      }
    } else {
      for (uint32_t i = 0; i < message.len; ++i) {
        for (int bit = 7; bit >= 0; --bit) bits.push_back((bytes[i] >> bit & 1) != 0);
      }
    }
    const std::size_t sent = error != 0 ? bits.size() / 2 : bits.size();
    pins_.chipSelected = true;
    for (std::size_t i = 0; i < sent; ++i) {
      pins_.data = bits[i];
      pins_.clock = false;
      module.set(pins_);
      pins_.clock = true;
      module.set(pins_);
    }
    pins_.chipSelected = false;
    module.set(pins_);
    if (error != 0) return fail(error);
    return static_cast<int>(message.len);
  }

  static constexpr panel::PinLevels Undriven{
      .data = false, .clock = false, .resetReleased = false, .backlight = false};

  panel::PinLevels pins_ = Undriven;
  std::map<std::pair<std::string, uint32_t>, Pin> wiring_;
  std::set<std::string> unplugged_;
  std::map<int, std::string> openedFrom_;
  std::set<int> dead_;
  std::map<std::pair<std::string, int>, std::string> unplugAt_;
  std::set<std::pair<std::string, uint32_t>> held_;
  std::vector<Request> requests_;
  std::set<int> open_;
  std::map<std::pair<std::string, int>, int> failures_;
};

}  // namespace om6211::testing
