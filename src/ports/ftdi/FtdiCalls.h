#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/ftdi/FtdiChip.h"

namespace om6211 {

// An FTDI device on the USB, as a listing shows it.
struct FtdiDeviceInfo {
  uint16_t vendor = 0;
  uint16_t product = 0;
  int bus = 0;
  int address = 0;
  bool stringsRead = false;  // the strings below need the device opened, which may be refused
  std::string manufacturer;
  std::string description;
  std::string serial;
};

// The pin modes the back ends use.
enum class FtdiBitmode : uint8_t { Reset = 0x00, Mpsse = 0x02, SynchronousBitbang = 0x04 };

// The few libftdi calls the FTDI back ends make, on one libftdi context (one device, its
// interface A), small enough to fake. Each returns what the libftdi call named in its comment
// returns: 0 or more on success, libftdi's negative error code on failure, whose text
// errorString() then gives.
class FtdiCalls {
 public:
  virtual ~FtdiCalls() = default;

  // ftdi_usb_find_all for the FTDI vendor's usual products, ftdi_usb_get_strings on each.
  virtual int usbFindAll(std::vector<FtdiDeviceInfo>& found) = 0;
  // ftdi_set_interface(INTERFACE_A), then ftdi_usb_open_string.
  virtual int usbOpenString(const std::string& description) = 0;
  // The opened chip's type, as libftdi made it out.
  virtual FtdiChip chipType() const = 0;
  // ftdi_usb_close.
  virtual int usbClose() = 0;

  virtual int setLatencyTimer(uint8_t milliseconds) = 0;     // ftdi_set_latency_timer
  virtual int setBitmode(uint8_t outputs, FtdiBitmode) = 0;  // ftdi_set_bitmode
  virtual int setBaudrate(int baudrate) = 0;                 // ftdi_set_baudrate
  virtual int purgeBuffers() = 0;                            // ftdi_tcioflush
  // ftdi_write_data_get_chunksize: libftdi sends a write in USB transfers of this size.
  virtual int writeChunkSize() = 0;
  // ftdi_write_data.
  virtual int writeData(const uint8_t* bytes, int size) = 0;
  // In synchronous bit-bang mode the chip samples the pins for every byte it clocks out and
  // stalls once it holds bytes nobody read: writes `size` bytes while reading as many back
  // (ftdi_read_data_submit, ftdi_write_data_submit, ftdi_transfer_data_done), and drops them.
  virtual int writeDataReadingBack(const uint8_t* bytes, int size) = 0;

  // ftdi_get_error_string: libftdi's text for the latest failure.
  virtual std::string errorString() const = 0;

 protected:
  FtdiCalls() = default;
  FtdiCalls(const FtdiCalls&) = default;
  FtdiCalls& operator=(const FtdiCalls&) = default;
};

// A new libftdi context: the real calls.
std::unique_ptr<FtdiCalls> newLibftdiCalls();

}  // namespace om6211
