#include <ftdi.h>
#include <libusb.h>

#include <string>
#include <vector>

#include "ports/ftdi/FtdiTransport.h"

namespace om6211 {
namespace {

// The error code of a call made without a context (libusb could not start).
constexpr int NoContext = -100;

// The libftdi calls behind each of the transport's: listDevices ftdi_usb_find_all and
// ftdi_usb_get_strings, open ftdi_set_interface(INTERFACE_A) and ftdi_usb_open_string, close
// ftdi_usb_close, purge ftdi_tcioflush, chunkSize ftdi_write_data_get_chunksize, write
// ftdi_write_data, writeReadingBack ftdi_read_data_submit, ftdi_write_data_submit and
// ftdi_transfer_data_done; the error text ftdi_get_error_string's.
class LibftdiTransport final : public FtdiTransport {
 public:
  LibftdiTransport() : ftdi_(ftdi_new()) {}
  ~LibftdiTransport() override {
    if (ftdi_ != nullptr) ftdi_free(ftdi_);  // closes the device if still open
  }
  LibftdiTransport(const LibftdiTransport&) = delete;
  LibftdiTransport& operator=(const LibftdiTransport&) = delete;

  int listDevices(std::vector<FtdiDeviceInfo>& found) override {
    if (ftdi_ == nullptr) return noContext();
    ftdi_device_list* list = nullptr;
    const int count = ftdi_usb_find_all(ftdi_, &list, 0, 0);
    if (count < 0) return failed(count);
    for (ftdi_device_list* entry = list; entry != nullptr; entry = entry->next) {
      FtdiDeviceInfo info;
      libusb_device_descriptor descriptor{};
      if (libusb_get_device_descriptor(entry->dev, &descriptor) == 0) {
        info.vendor = descriptor.idVendor;
        info.product = descriptor.idProduct;
      }
      info.bus = libusb_get_bus_number(entry->dev);
      info.address = libusb_get_device_address(entry->dev);
      char manufacturer[128] = "";
      char description[128] = "";
      char serial[128] = "";
      info.stringsRead =
          ftdi_usb_get_strings(ftdi_, entry->dev, manufacturer, sizeof manufacturer, description,
                               sizeof description, serial, sizeof serial) == 0;
      info.manufacturer = manufacturer;
      info.description = description;
      info.serial = serial;
      info.locator = "d:" + std::to_string(info.bus) + "/" + std::to_string(info.address);
      found.push_back(std::move(info));
    }
    ftdi_list_free(&list);
    return count;
  }

  int open(const std::string& description) override {
    if (ftdi_ == nullptr) return noContext();
    if (const int result = ftdi_set_interface(ftdi_, INTERFACE_A); result < 0) {
      return failed(result);
    }
    return checked(ftdi_usb_open_string(ftdi_, description.c_str()));
  }

  FtdiChip chipType() const override {
    if (ftdi_ == nullptr) return FtdiChip::Unknown;
    switch (ftdi_->type) {
      case TYPE_AM:
        return FtdiChip::Am;
      case TYPE_BM:
        return FtdiChip::Bm;
      case TYPE_2232C:
        return FtdiChip::Ft2232c;
      case TYPE_R:
        return FtdiChip::R;
      case TYPE_2232H:
        return FtdiChip::Ft2232h;
      case TYPE_4232H:
        return FtdiChip::Ft4232h;
      case TYPE_232H:
        return FtdiChip::Ft232h;
      case TYPE_230X:
        return FtdiChip::X;
    }
    return FtdiChip::Unknown;
  }

  int close() override { return ftdi_ == nullptr ? noContext() : checked(ftdi_usb_close(ftdi_)); }

  int setLatencyTimer(uint8_t milliseconds) override {
    return ftdi_ == nullptr ? noContext() : checked(ftdi_set_latency_timer(ftdi_, milliseconds));
  }
  int setBitmode(uint8_t outputs, FtdiBitmode mode) override {
    return ftdi_ == nullptr ? noContext()
                            : checked(ftdi_set_bitmode(ftdi_, outputs, static_cast<uint8_t>(mode)));
  }
  int setBaudrate(int baudrate) override {
    return ftdi_ == nullptr ? noContext() : checked(ftdi_set_baudrate(ftdi_, baudrate));
  }
  int purge() override { return ftdi_ == nullptr ? noContext() : checked(ftdi_tcioflush(ftdi_)); }
  int chunkSize() override {
    if (ftdi_ == nullptr) return noContext();
    unsigned size = 0;
    const int result = ftdi_write_data_get_chunksize(ftdi_, &size);
    return result < 0 ? failed(result) : static_cast<int>(size);
  }
  int write(const uint8_t* bytes, int size) override {
    return ftdi_ == nullptr ? noContext() : checked(ftdi_write_data(ftdi_, bytes, size));
  }

  int writeReadingBack(const uint8_t* bytes, int size) override {
    if (ftdi_ == nullptr) return noContext();
    readBack_.resize(static_cast<std::size_t>(size));
    // The read goes first, so that the chip's samples flow off while the write goes out.
    ftdi_transfer_control* reading = ftdi_read_data_submit(ftdi_, readBack_.data(), size);
    if (reading == nullptr) return failed(-1, "cannot start reading the pin samples back");
    ftdi_transfer_control* writing =
        ftdi_write_data_submit(ftdi_, const_cast<unsigned char*>(bytes), size);
    if (writing == nullptr) {
      ftdi_transfer_data_cancel(reading, nullptr);
      return failed(-1, "cannot start the write");
    }
    const int written = ftdi_transfer_data_done(writing);
    if (written != size) {
      ftdi_transfer_data_cancel(reading, nullptr);
      ftdi_tciflush(ftdi_);  // samples left over would be taken for the next write's
      return failed(-1, "usb bulk write failed");
    }
    if (ftdi_transfer_data_done(reading) != size) {
      ftdi_tciflush(ftdi_);
      return failed(-1, "usb bulk read of the pin samples failed");
    }
    return written;
  }

  std::string errorString() const override { return error_; }

 private:
  int noContext() { return failed(NoContext, "libusb could not be started (ftdi_new failed)"); }
  int failed(int code, const char* message = nullptr) {
    error_ = message != nullptr ? message : ftdi_get_error_string(ftdi_);
    return code;
  }
  int checked(int result) { return result < 0 ? failed(result) : result; }

  ftdi_context* ftdi_;
  std::vector<unsigned char> readBack_;
  std::string error_;
};

}  // namespace

std::unique_ptr<FtdiTransport> newLibftdiTransport() {
  return std::make_unique<LibftdiTransport>();
}

}  // namespace om6211
