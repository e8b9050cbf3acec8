#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ports/linux/GpioLines.h"
#include "ports/linux/SpidevConfig.h"
#include "ports/linux/SystemCalls.h"
#include "ports/portable/HardwareBus.h"

namespace om6211 {

// The module on an SPI controller through the kernel's spidev device: serial clock and data
// from the controller in mode 3 (the clock idles high, the module samples on its rising edge),
// most significant bit first, at most 4 MHz, chip select the controller's own; reset and the
// backlight on GPIO lines.
//
// Frames are queued and sent in as few transfers as the device's 4096-byte buffer allows: on
// flush(), before the control lines change, and whenever a transfer's worth is queued. A
// controller that takes 9 bits per word gets one word (two bytes) per frame; one that takes
// only 8 (a Raspberry Pi's) gets eight frames packed into nine bytes, the last group filled up
// with start-line-0 commands, so that no transfer ends inside a frame. A failed transfer raises
// PortFailure and leaves the controller out of step: some of its bits may have gone out.
class SpidevBus final : public HardwareBus, public LineCheck {
 public:
  // Raises PortOpenError, leaving nothing open or claimed, when the device or a line cannot be
  // had, another program holds the device (its lock on the node), or the controller refuses
  // mode 3, the word size or the clock.
  SpidevBus(const SpidevConfig& config, SystemCalls& calls);
  ~SpidevBus() override;

  void setControlLines(ControlLines lines) override;
  // `delay` has no meaning here: the clock (hz=) sets the pace.
  void sendFrame(bool isData, uint8_t value, int32_t delay) override;
  void flush() override;
  bool allowsShorterTraffic() const override { return true; }

  // Whether frames are packed eight into nine bytes (the controller refused 9 bits per word).
  bool packsFrames() const { return packed_; }

  LineCheck* lineCheck() override { return this; }
  std::vector<Line> lines() const override;
  void drive(std::optional<std::size_t> index) override;

  // The most a transfer carries: the kernel's default spidev buffer.
  static constexpr std::size_t TransferBytes = 4096;

 private:
  // A control line: which chip's request holds it and its bit there.
  struct ControlLine {
    std::size_t chip;
    uint64_t bit;
    uint32_t offset;
  };

  void openLines(const SpidevConfig& config, SystemCalls& calls);
  // Sets every control line's level at once; `high` tells each line's level.
  void setLevels(bool resetHigh, bool backlightHigh);
  // Sends `frames` in one transfer.
  void transfer(const std::vector<uint16_t>& frames);
  std::size_t framesPerTransfer() const;

  SystemCalls* calls_;
  int fd_ = -1;
  uint32_t speedHz_;
  bool packed_ = false;
  std::vector<uint16_t> queue_;
  std::vector<std::unique_ptr<GpioLines>> chips_;
  ControlLine reset_{};
  std::optional<ControlLine> backlight_;
  // The control lines as last set; none when unknown (a failure, the wiring check).
  std::optional<ControlLines> lines_ = ControlLines{};
};

}  // namespace om6211
