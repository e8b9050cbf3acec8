#include "ports/ftdi/FtdiDevice.h"

#include <vector>

#include "ports/ftdi/FtdiErrors.h"

namespace om6211 {
namespace {

// The chip holds back the last read-back bytes of a write until its latency timer runs out:
// the shortest wait ends a bit-bang transfer soonest.
constexpr uint8_t LatencyMilliseconds = 1;

}  // namespace

FtdiDevice::FtdiDevice(const std::string& description, FtdiCalls& calls,
                       std::unique_ptr<FtdiCalls> owned)
    : owned_(std::move(owned)),
      calls_(&calls),
      name_(description.empty() ? "ftdi" : "ftdi:" + description) {
  std::string opened = description;
  std::vector<FtdiDeviceInfo> found;
  if (description.empty()) {
    const int count = calls_->usbFindAll(found);
    if (count < 0)
      throw ftdiOpenError(name_, "ftdi_usb_find_all", count, calls_->errorString(), {});
    if (found.empty()) throw ftdiOpenError(name_, "ftdi_usb_find_all", 0, "0 devices", {});
    opened = "d:" + std::to_string(found.front().bus) + "/" + std::to_string(found.front().address);
    name_ = "ftdi:" + opened;
  }
  if (const int result = calls_->usbOpenString(opened); result < 0) {
    const std::string message = calls_->errorString();
    if (found.empty()) calls_->usbFindAll(found);  // to name what there is
    throw ftdiOpenError(name_, "ftdi_usb_open_string", result, message, found);
  }
  chip_ = calls_->chipType();
  const int chunkSize = calls_->writeChunkSize();
  if (chunkSize <= 0) {
    const FtdiFailure failure{"ftdi_write_data_get_chunksize", chunkSize, calls_->errorString()};
    calls_->usbClose();
    refuseOpening(failure);
  }
  chunkSize_ = static_cast<std::size_t>(chunkSize);
}

FtdiDevice::~FtdiDevice() {
  calls_->usbClose();
}

void FtdiDevice::refuseOpening(const FtdiFailure& failure) const {
  throw ftdiOpenError(name_, failure.call, failure.code, failure.message, {});
}

std::optional<FtdiFailure> FtdiDevice::enterMode(FtdiBitmode mode, uint8_t outputs) {
  mode_ = FtdiBitmode::Reset;
  auto failed = [&](const char* call, int result) -> std::optional<FtdiFailure> {
    if (result >= 0) return std::nullopt;
    return FtdiFailure{call, result, calls_->errorString()};
  };
  // A reset first: it also stops an MPSSE in the middle of a command.
  if (auto failure = failed("ftdi_set_bitmode", calls_->setBitmode(0, FtdiBitmode::Reset))) {
    return failure;
  }
  if (auto failure =
          failed("ftdi_set_latency_timer", calls_->setLatencyTimer(LatencyMilliseconds))) {
    return failure;
  }
  if (auto failure = failed("ftdi_set_bitmode", calls_->setBitmode(outputs, mode))) return failure;
  if (mode == FtdiBitmode::SynchronousBitbang) {
    if (auto failure = failed("ftdi_set_baudrate", calls_->setBaudrate(BitbangBaudrate))) {
      return failure;
    }
  }
  if (auto failure = failed("ftdi_tcioflush", calls_->purgeBuffers())) return failure;
  mode_ = mode;
  return std::nullopt;
}

std::optional<FtdiFailure> FtdiDevice::send(std::span<const uint8_t> bytes) {
  const int size = static_cast<int>(bytes.size());
  const bool readingBack = mode_ == FtdiBitmode::SynchronousBitbang;
  const int result = readingBack ? calls_->writeDataReadingBack(bytes.data(), size)
                                 : calls_->writeData(bytes.data(), size);
  if (result == size) return std::nullopt;
  return FtdiFailure{readingBack ? "ftdi_write_data_submit" : "ftdi_write_data", result,
                     result < 0 ? calls_->errorString() : "the write was cut short"};
}

}  // namespace om6211
