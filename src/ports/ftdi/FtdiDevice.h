#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "ports/ftdi/FtdiCalls.h"

namespace om6211 {

// A libftdi call that failed: its name, libftdi's code and libftdi's message.
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
  // `owned` (the calls themselves, when it is to own them) until it is destroyed.
  FtdiDevice(const std::string& description, FtdiCalls& calls,
             std::unique_ptr<FtdiCalls> owned = nullptr);
  ~FtdiDevice();
  FtdiDevice(const FtdiDevice&) = delete;
  FtdiDevice& operator=(const FtdiDevice&) = delete;

  // "ftdi:i:0x0403:0x6001"; for the first device found, its bus and address ("ftdi:d:1/7"),
  // or "ftdi" while there is none.
  const std::string& name() const { return name_; }
  FtdiChip chip() const { return chip_; }
  // The size of libftdi's USB transfers: what one write may carry without a second transfer.
  std::size_t chunkSize() const { return chunkSize_; }

  // Puts the chip into `mode` afresh, with the lines in `outputs` driven; a bit-bang mode also
  // gets its pin-state rate. Anything the chip held is dropped.
  std::optional<FtdiFailure> enterMode(FtdiBitmode mode, uint8_t outputs);
  // Sends `bytes`, reading back as many pin samples in synchronous bit-bang mode.
  std::optional<FtdiFailure> send(std::span<const uint8_t> bytes);

  // Raises the PortOpenError of a failure while opening.
  [[noreturn]] void refuseOpening(const FtdiFailure& failure) const;

  // Requested through ftdi_set_baudrate, which multiplies it by 4 in bit-bang mode; every bit
  // on the clock line takes two pin states, so the clock stays well below the controller's
  // 4 MHz.
  static constexpr int BitbangBaudrate = 62'500;

 private:
  std::unique_ptr<FtdiCalls> owned_;
  FtdiCalls* calls_;
  std::string name_;
  FtdiChip chip_ = FtdiChip::Unknown;
  std::size_t chunkSize_ = 0;
  FtdiBitmode mode_ = FtdiBitmode::Reset;
};

}  // namespace om6211
