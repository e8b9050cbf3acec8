#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ports/ftdi/FtdiChip.h"
#include "ports/portable/Remedy.h"

namespace om6211 {

// An FTDI device attached, as a listing shows it.
struct FtdiDeviceInfo {
  uint16_t vendor = 0;
  uint16_t product = 0;
  int bus = 0;  // where on the USB, where the transport can tell
  int address = 0;
  bool stringsRead = false;  // the strings below may need the device opened, which may be refused
  std::string manufacturer;
  std::string description;
  std::string serial;
  // The description that opens this very device ("d:1/7", "s:0x0403:0x6014:FT7ABC"); it also
  // names the device in messages.
  std::string locator;
};

// libftdi's remedies, for Linux (FtdiErrors.cpp), each with the errno value its error carries.
std::span<const Remedy> libftdiRemedies();

// The pin modes the back ends use.
enum class FtdiBitmode : uint8_t { Reset = 0x00, Mpsse = 0x02, SynchronousBitbang = 0x04 };

// The few calls the FTDI back ends make on one adapter (its first interface, A), through
// whichever library reaches the chip; small enough to fake. Each returns 0 or more on success
// and a negative status on failure, whose text errorString() then gives.
class FtdiTransport {
 public:
  virtual ~FtdiTransport() = default;

  // Lists the FTDI devices attached into `found`; returns their number.
  virtual int listDevices(std::vector<FtdiDeviceInfo>& found) = 0;
  // Opens the device `description` names: i:VENDOR:PRODUCT[:INDEX] by its IDs and its place
  // among the devices that have them, s:VENDOR:PRODUCT:SERIAL by serial number, or a
  // listing's locator.
  virtual int open(const std::string& description) = 0;
  // The opened chip's type.
  virtual FtdiChip chipType() const = 0;
  virtual int close() = 0;

  virtual int setLatencyTimer(uint8_t milliseconds) = 0;
  // `outputs`: the lines driven, bit i for line i.
  virtual int setBitmode(uint8_t outputs, FtdiBitmode mode) = 0;
  // In bit-bang mode, the pin-state rate as the chip scales it.
  virtual int setBaudrate(int baudrate) = 0;
  // Drops whatever the chip holds in either direction.
  virtual int purge() = 0;
  // The size of the USB transfers a write goes out in.
  virtual int chunkSize() = 0;
  // Writes `size` bytes; returns how many went out.
  virtual int write(const uint8_t* bytes, int size) = 0;
  // In synchronous bit-bang mode the chip samples the pins for every byte it clocks out and
  // stalls once it holds samples nobody read: writes `size` bytes while reading as many back,
  // and drops them.
  virtual int writeReadingBack(const uint8_t* bytes, int size) = 0;

  // The library's text for the latest failure.
  virtual std::string errorString() const = 0;
  // The remedies of this transport's statuses; the row of "ftdi_usb_find_all" with status 0 is
  // that of no device found.
  virtual std::span<const Remedy> remedies() const { return libftdiRemedies(); }

 protected:
  FtdiTransport() = default;
  FtdiTransport(const FtdiTransport&) = default;
  FtdiTransport& operator=(const FtdiTransport&) = default;
};

// A transport through libftdi, on a context of its own (library om6211_libftdi).
std::unique_ptr<FtdiTransport> newLibftdiTransport();

}  // namespace om6211
