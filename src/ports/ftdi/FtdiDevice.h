#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ports/ftdi/FtdiTransport.h"

namespace om6211 {

// A call that failed: its name, the transport's status and message.
struct FtdiFailure {
  const char* call;
  int code;
  std::string message;
};

// One FTDI adapter's interface A, held from opening until destruction. Closing leaves the pins
// at their last levels, as a parallel port keeps its own.
class FtdiDevice {
 public:
  // Opens the device `description` names, or the first FTDI device found when it is empty.
  // Raises PortOpenError, leaving nothing open; the message names the fix. The device keeps
  // `owned` (the transport itself, when it is to own it) until it is destroyed.
  FtdiDevice(const std::string& description, FtdiTransport& transport,
             std::unique_ptr<FtdiTransport> owned = nullptr);
  ~FtdiDevice();
  FtdiDevice(const FtdiDevice&) = delete;
  FtdiDevice& operator=(const FtdiDevice&) = delete;

  // "ftdi:i:0x0403:0x6001"; for the first device found, its locator ("ftdi:d:1/7"), or "ftdi"
  // while there is none.
  const std::string& name() const { return name_; }
  FtdiChip chip() const { return chip_; }
  // The size of the transport's USB transfers: what one write may carry without a second one.
  std::size_t chunkSize() const { return chunkSize_; }

  // Puts the chip into `mode` afresh, with the lines in `outputs` driven; a bit-bang mode also
  // gets its pin-state rate. Anything the chip held is dropped.
  std::optional<FtdiFailure> enterMode(FtdiBitmode mode, uint8_t outputs);
  // Sends `bytes`, reading back as many pin samples in synchronous bit-bang mode.
  std::optional<FtdiFailure> send(std::span<const uint8_t> bytes);

  // Raise the PortOpenError of a failure while opening, and of a chip that lacks the mode
  // asked for ("MPSSE", "synchronous bit-bang mode").
  [[noreturn]] void refuseOpening(const FtdiFailure& failure) const;
  [[noreturn]] void refuseMode(std::string_view mode) const;

  // Requested through setBaudrate, which libftdi multiplies by 4 in bit-bang mode; every bit
  // on the clock line takes two pin states, so the clock stays well below the controller's
  // 4 MHz.
  static constexpr int BitbangBaudrate = 62'500;

 private:
  std::unique_ptr<FtdiTransport> owned_;
  FtdiTransport* transport_;
  std::string name_;
  FtdiChip chip_ = FtdiChip::Unknown;
  std::size_t chunkSize_ = 0;
  FtdiBitmode mode_ = FtdiBitmode::Reset;
};

}  // namespace om6211
