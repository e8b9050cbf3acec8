#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "ports/ftdi/FtdiTransport.h"

namespace om6211::testing {

// An FTDI adapter behind the transport seam, with one device plugged in. It logs every call by
// its libftdi name ("ftdi_usb_open_string d:1/7", "ftdi_set_bitmode 3b 04", "ftdi_write_data 600"),
// hands every buffer that reached the chip and every mode change to `onBytes` and `onMode`, counts
// USB transfers as libftdi would make them, and fails any call on request. The adapter can be
// unplugged: every call fails as with libusb's "no device", and opening finds none; plugged in
// again it is a new device, on which what was opened before stays dead.
class FakeFtdi final : public FtdiTransport {
 public:
  // Fails the `occurrence`-th call (1 = the first) of the libftdi call `name` with `code` and
  // `message`. Both writes count as "write"; a failed write still delivers its first
  // `delivered` bytes, as a transfer cut short does, and a `code` of 0 or more is the count of
  // bytes a short write returns.
  void failCall(const std::string& name, int occurrence, int code, std::string message,
                std::size_t delivered = 0) {
    failures_[{name, occurrence}] = {code, std::move(message), delivered};
  }
  int callCount(const std::string& name) const {
    const auto found = counts_.find(name);
    return found == counts_.end() ? 0 : found->second;
  }

  void unplug() { plugged_ = false; }
  void replug() {
    plugged_ = true;
    ++generation_;
    if (onReplug) onReplug();
  }
  std::function<void()> onReplug;  // the module the adapter powers starts afresh
  // Unplugs the adapter during the `occurrence`-th write, half of whose bytes get out.
  void unplugAtWrite(int occurrence) { unplugAtWrite_ = occurrence; }

  std::vector<FtdiDeviceInfo> devices{
      {0x0403, 0x6014, 1, 7, true, "FTDI", "Single RS232-HS", "FT7ABC", "d:1/7"}};
  FtdiChip chip = FtdiChip::Ft232h;
  int transferSize = 4096;
  std::function<void(std::span<const uint8_t>)> onBytes;
  std::function<void(uint8_t outputs, FtdiBitmode)> onMode;

  std::vector<std::string> log;
  uint64_t writes = 0;
  uint64_t transfers = 0;
  uint64_t bytes = 0;
  uint64_t failed = 0;
  int openDevices = 0;

  int listDevices(std::vector<FtdiDeviceInfo>& found) override {
    if (const int result = call("ftdi_usb_find_all"); result < 0) return result;
    found = plugged_ ? devices : std::vector<FtdiDeviceInfo>{};
    return static_cast<int>(found.size());
  }
  int open(const std::string& description) override {
    if (!plugged_) {
      log.push_back("ftdi_usb_open_string " + description + " -> -3");
      error_ = "device not found";
      return -3;
    }
    const int result = call("ftdi_usb_open_string", description);
    if (result == 0) {
      ++openDevices;
      openedIn_ = generation_;
    }
    return result;
  }
  FtdiChip chipType() const override { return chip; }
  int close() override {
    const int result = call("ftdi_usb_close");
    if (result == 0) --openDevices;
    return result;
  }
  int setLatencyTimer(uint8_t milliseconds) override {
    return call("ftdi_set_latency_timer", std::to_string(milliseconds));
  }
  int setBitmode(uint8_t outputs, FtdiBitmode mode) override {
    const int result =
        call("ftdi_set_bitmode", hex(outputs) + " " + hex(static_cast<uint8_t>(mode)));
    if (result == 0 && onMode) onMode(outputs, mode);
    return result;
  }
  int setBaudrate(int baudrate) override {
    return call("ftdi_set_baudrate", std::to_string(baudrate));
  }
  int purge() override { return call("ftdi_tcioflush"); }
  int chunkSize() override {
    const int result = call("ftdi_write_data_get_chunksize");
    return result < 0 ? result : transferSize;
  }
  int write(const uint8_t* data, int size) override {
    return deliver("ftdi_write_data", data, size);
  }
  int writeReadingBack(const uint8_t* data, int size) override {
    return deliver("ftdi_write_data_submit", data, size);
  }
  std::string errorString() const override { return error_; }

 private:
  struct Failure {
    int code;
    std::string message;
    std::size_t delivered;
  };

  static std::string hex(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02x", value);
    return text;
  }

  // Logs the call and fails it if asked: 0 or libftdi's code; `failing` tells which.
  int call(const std::string& name, const std::string& argument = {},
           std::size_t* delivered = nullptr, bool* failing = nullptr) {
    const bool writing = name == "ftdi_write_data" || name == "ftdi_write_data_submit";
    const std::string counted = writing ? "write" : name;
    const int occurrence = ++counts_[counted];
    std::string entry = argument.empty() ? name : name + " " + argument;
    if (writing && occurrence == unplugAtWrite_) {
      unplug();
      ++failed;
      log.push_back(entry + " -> unplugged");
      error_ = "usb bulk write failed";
      if (delivered != nullptr) *delivered /= 2;
      return -1;
    }
    const bool opening =
        name == "ftdi_usb_open_string" || name == "ftdi_usb_find_all" || name == "ftdi_usb_close";
    if (!opening && (!plugged_ || openedIn_ != generation_)) {
      ++failed;
      log.push_back(entry + " -> no device");
      error_ = writing ? "usb bulk write failed" : "USB device unavailable";
      if (delivered != nullptr) *delivered = 0;
      return writing ? -1 : -4;
    }
    const auto found = failures_.find({counted, occurrence});
    if (found == failures_.end()) {
      log.push_back(entry);
      return 0;
    }
    ++failed;
    if (failing != nullptr) *failing = true;
    log.push_back(entry + " -> " + std::to_string(found->second.code));
    error_ = found->second.message;
    if (delivered != nullptr) *delivered = std::min(*delivered, found->second.delivered);
    return found->second.code;
  }
  int deliver(const char* name, const uint8_t* data, int size) {
    std::size_t delivered = static_cast<std::size_t>(size);
    bool failing = false;
    const int result = call(name, std::to_string(size), &delivered, &failing);
    ++writes;
    transfers += static_cast<uint64_t>((size + transferSize - 1) / transferSize);
    bytes += static_cast<uint64_t>(size);
    if (onBytes) onBytes({data, delivered});
    return result < 0 || failing ? result : size;
  }

  bool plugged_ = true;
  int unplugAtWrite_ = 0;
  int generation_ = 0;  // how often the adapter was plugged in again
  int openedIn_ = 0;
  std::map<std::string, int> counts_;
  std::map<std::pair<std::string, int>, Failure> failures_;
  std::string error_;
};

}  // namespace om6211::testing
