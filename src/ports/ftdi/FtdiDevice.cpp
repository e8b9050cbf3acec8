#include "ports/ftdi/FtdiDevice.h"

#include <vector>

#include "ports/ftdi/FtdiErrors.h"
#include "seams/PortOpenError.h"

namespace om6211 {
namespace {

// The chip holds back the last read-back bytes of a write until its latency timer runs out:
// the shortest wait ends a bit-bang transfer soonest.
constexpr uint8_t LatencyMilliseconds = 1;

}  // namespace

FtdiDevice::FtdiDevice(const std::string& description, FtdiTransport& transport,
                       std::unique_ptr<FtdiTransport> owned)
    : owned_(std::move(owned)),
      transport_(&transport),
      name_(description.empty() ? "ftdi" : "ftdi:" + description) {
  std::string opened = description;
  std::vector<FtdiDeviceInfo> found;
  if (description.empty()) {
    const int count = transport_->listDevices(found);
    if (count < 0)
      throw ftdiOpenError(name_, "ftdi_usb_find_all", count, transport_->errorString(), {},
                          transport_->remedies());
    if (found.empty()) {
      throw ftdiOpenError(name_, "ftdi_usb_find_all", 0, "0 devices", {}, transport_->remedies());
    }
    opened = found.front().locator;
    name_ = "ftdi:" + opened;
  }
  if (const int result = transport_->open(opened); result < 0) {
    const std::string message = transport_->errorString();
    if (found.empty()) transport_->listDevices(found);  // to name what there is
    throw ftdiOpenError(name_, "ftdi_usb_open_string", result, message, found,
                        transport_->remedies());
  }
  chip_ = transport_->chipType();
  const int chunkSize = transport_->chunkSize();
  if (chunkSize <= 0) {
    const FtdiFailure failure{"ftdi_write_data_get_chunksize", chunkSize,
                              transport_->errorString()};
    transport_->close();
    refuseOpening(failure);
  }
  chunkSize_ = static_cast<std::size_t>(chunkSize);
}

FtdiDevice::~FtdiDevice() {
  transport_->close();
}

void FtdiDevice::refuseOpening(const FtdiFailure& failure) const {
  throw ftdiOpenError(name_, failure.call, failure.code, failure.message, {},
                      transport_->remedies());
}

void FtdiDevice::refuseMode(std::string_view mode) const {
  throw ftdiModeError(name_, chip_, mode);
}

std::optional<FtdiFailure> FtdiDevice::enterMode(FtdiBitmode mode, uint8_t outputs) {
  mode_ = FtdiBitmode::Reset;
  auto failed = [&](const char* call, int result) -> std::optional<FtdiFailure> {
    if (result >= 0) return std::nullopt;
    return FtdiFailure{call, result, transport_->errorString()};
  };
  // A reset first: it also stops an MPSSE in the middle of a command.
  if (auto failure = failed("ftdi_set_bitmode", transport_->setBitmode(0, FtdiBitmode::Reset))) {
    return failure;
  }
  if (auto failure =
          failed("ftdi_set_latency_timer", transport_->setLatencyTimer(LatencyMilliseconds))) {
    return failure;
  }
  if (auto failure = failed("ftdi_set_bitmode", transport_->setBitmode(outputs, mode))) {
    return failure;
  }
  if (mode == FtdiBitmode::SynchronousBitbang) {
    if (auto failure = failed("ftdi_set_baudrate", transport_->setBaudrate(BitbangBaudrate))) {
      return failure;
    }
  }
  if (auto failure = failed("ftdi_tcioflush", transport_->purge())) return failure;
  mode_ = mode;
  return std::nullopt;
}

std::optional<FtdiFailure> FtdiDevice::send(std::span<const uint8_t> bytes) {
  const int size = static_cast<int>(bytes.size());
  const bool readingBack = mode_ == FtdiBitmode::SynchronousBitbang;
  const int result = readingBack ? transport_->writeReadingBack(bytes.data(), size)
                                 : transport_->write(bytes.data(), size);
  if (result == size) return std::nullopt;
  return FtdiFailure{readingBack ? "ftdi_write_data_submit" : "ftdi_write_data", result,
                     result < 0 ? transport_->errorString() : "the write was cut short"};
}

}  // namespace om6211
