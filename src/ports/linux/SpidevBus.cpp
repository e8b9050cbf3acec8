#include "ports/linux/SpidevBus.h"

#include <fcntl.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "module/SerialFrame.h"
#include "ports/linux/HardwarePortErrors.h"
#include "ports/linux/OwnerLock.h"

namespace om6211 {
namespace {

constexpr uint16_t AllOnes = 0x1FF;

// Eight-bit bytes carrying `frames` back to back, most significant bit first.
std::vector<uint8_t> packed(const std::vector<uint16_t>& frames) {
  std::vector<uint8_t> bytes((frames.size() * module::FrameBits + 7) / 8);
  module::packFrames(frames, bytes.data());
  return bytes;
}

// Nine-bit words as spidev takes them: the low bits of a 16-bit word in the machine's order.
std::vector<uint8_t> wordsOf(const std::vector<uint16_t>& frames) {
  std::vector<uint8_t> bytes(frames.size() * sizeof(uint16_t));
  std::memcpy(bytes.data(), frames.data(), bytes.size());
  return bytes;
}

}  // namespace

SpidevBus::SpidevBus(const SpidevConfig& config, SystemCalls& calls)
    : HardwareBus(config.device), calls_(&calls), speedHz_(config.speedHz) {
  fd_ = calls.open(config.device.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw portOpenError(name(), "open", errno, DeviceKind::SpiDevice);
  try {
    lockOwnership(calls, fd_, name());
    // Reset is held asserted while the controller sets its clock to idle, then released.
    openLines(config, calls);
    auto configure = [&](unsigned long request, const char* call, void* value) {
      if (calls.ioctl(fd_, request, value) != 0) {
        throw portOpenError(name(), call, errno, DeviceKind::SpiDevice);
      }
    };
    uint8_t mode = SPI_MODE_3;
    configure(SPI_IOC_WR_MODE, "SPI_IOC_WR_MODE", &mode);
    uint8_t bits = module::FrameBits;
    if (calls.ioctl(fd_, SPI_IOC_WR_BITS_PER_WORD, &bits) != 0) {
      bits = 8;
      packed_ = true;
      configure(SPI_IOC_WR_BITS_PER_WORD, "SPI_IOC_WR_BITS_PER_WORD", &bits);
    }
    uint32_t speed = speedHz_;
    configure(SPI_IOC_WR_MAX_SPEED_HZ, "SPI_IOC_WR_MAX_SPEED_HZ", &speed);
    GpioLines& resetLines = *chips_[reset_.chip];
    if (const int error = resetLines.set(reset_.bit, reset_.bit); error != 0) {
      throw portOpenError(resetLines.path(), "GPIO_V2_LINE_SET_VALUES_IOCTL", error,
                          DeviceKind::GpioChip);
    }
  } catch (...) {
    chips_.clear();
    calls.close(fd_);
    throw;
  }
  queue_.reserve(framesPerTransfer());
}

void SpidevBus::openLines(const SpidevConfig& config, SystemCalls& calls) {
  // Reset asserted and the backlight off.
  struct Wanted {
    const GpioLine* line;
    bool high;
    ControlLine* at;
  };
  std::optional<ControlLine> backlight;
  std::vector<Wanted> wanted{{&config.reset, false, &reset_}};
  if (config.backlight) wanted.push_back({&*config.backlight, false, &backlight.emplace()});
  std::vector<bool> done(wanted.size());
  for (std::size_t first = 0; first < wanted.size(); ++first) {
    if (done[first]) continue;
    std::vector<uint32_t> offsets;
    uint64_t levels = 0;
    for (std::size_t i = first; i < wanted.size(); ++i) {
      if (done[i] || wanted[i].line->chip != wanted[first].line->chip) continue;
      done[i] = true;
      *wanted[i].at = {chips_.size(), uint64_t{1} << offsets.size(), wanted[i].line->offset};
      if (wanted[i].high) levels |= uint64_t{1} << offsets.size();
      offsets.push_back(wanted[i].line->offset);
    }
    chips_.push_back(std::make_unique<GpioLines>(wanted[first].line->chip, offsets, levels, calls));
  }
  backlight_ = backlight;
}

SpidevBus::~SpidevBus() {
  chips_.clear();
  calls_->close(fd_);
}

std::size_t SpidevBus::framesPerTransfer() const {
  if (packed_) return TransferBytes / module::GroupBytes * module::FramesPerGroup;
  return TransferBytes / sizeof(uint16_t);
}

void SpidevBus::transfer(const std::vector<uint16_t>& frames) {
  const std::vector<uint8_t> bytes = packed_ ? packed(frames) : wordsOf(frames);
  spi_ioc_transfer message{};
  message.tx_buf = reinterpret_cast<uintptr_t>(bytes.data());
  message.len = static_cast<uint32_t>(bytes.size());
  message.speed_hz = speedHz_;
  message.bits_per_word = packed_ ? 8 : module::FrameBits;
  if (calls_->ioctl(fd_, SPI_IOC_MESSAGE(1), &message) < 0) {
    const int error = errno;
    loseStep();  // some of the bits may have gone out
    fail(portFailureMessage(name(), "SPI_IOC_MESSAGE", error), meansDeviceLost(error));
  }
}

void SpidevBus::sendFrame(bool isData, uint8_t value, int32_t) {
  queue_.push_back(module::frameWord(isData, value));
  if (queue_.size() == framesPerTransfer()) flush();
}

void SpidevBus::flush() {
  if (queue_.empty()) return;
  if (packed_) {
    while (queue_.size() % module::FramesPerGroup != 0) queue_.push_back(module::FillerFrame);
  }
  std::vector<uint16_t> frames;
  frames.swap(queue_);
  queue_.reserve(framesPerTransfer());
  transfer(frames);
}

void SpidevBus::setLevels(bool resetHigh, bool backlightHigh) {
  std::vector<uint64_t> levels(chips_.size());
  std::vector<uint64_t> masks(chips_.size());
  auto place = [&](const ControlLine& line, bool high) {
    masks[line.chip] |= line.bit;
    if (high) levels[line.chip] |= line.bit;
  };
  place(reset_, resetHigh);
  if (backlight_) place(*backlight_, backlightHigh);
  for (std::size_t chip = 0; chip < chips_.size(); ++chip) {
    GpioLines& lines = *chips_[chip];
    const uint64_t changed = (levels[chip] ^ lines.levels()) & masks[chip];
    if (const int error = lines.set(levels[chip], changed); error != 0) {
      lines_.reset();
      fail(portFailureMessage(lines.path(), "GPIO_V2_LINE_SET_VALUES_IOCTL", error),
           meansDeviceLost(error));
    }
  }
}

void SpidevBus::setControlLines(ControlLines lines) {
  if (lines_ == lines) return;
  flush();  // the frames queued go out under the lines they were sent with
  setLevels(lines.resetReleased, lines.backlightOn);
  lines_ = lines;
  // Holding the reset line low clears the controller's bit counter.
  if (!lines.resetReleased) regainStep();
}

std::vector<LineCheck::Line> SpidevBus::lines() const {
  auto where = [&](const ControlLine& line) {
    return "line " + std::to_string(line.offset) + " of " + chips_[line.chip]->path();
  };
  std::vector<Line> lines{{Reset.signal, where(reset_), Reset.module}};
  if (backlight_) lines.push_back({Backlight.signal, where(*backlight_), Backlight.module});
  lines.push_back(
      {"serial clock and data (SCLK, MOSI)", "the SPI controller of " + name(),
       "the module's clock and serial data inputs. With the module held in reset they carry "
       "bursts of ones: a meter reads roughly half the supply on the clock and nearly the "
       "whole 3.3 V on the data line; an LED glows on both, dimmer on the clock",
       true});
  return lines;
}

void SpidevBus::drive(std::optional<std::size_t> index) {
  lines_.reset();  // the control lines no longer rest as the driver left them
  const std::size_t gpioLines = backlight_ ? 2 : 1;
  setLevels(index == 0u, index == 1u && backlight_);
  if (!index || *index < gpioLines) return;
  // A burst of ones: the reset line is low, so the controller takes none of it.
  transfer(std::vector<uint16_t>(framesPerTransfer(), AllOnes));
}

}  // namespace om6211
