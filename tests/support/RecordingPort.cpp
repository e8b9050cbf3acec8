#include "support/RecordingPort.h"

#include <string>
#include <utility>

namespace om6211 {

void RecordingPort::countOperation() {
  const uint64_t number = operationCount_++;
  if (shouldFail_ && shouldFail_(number)) {
    ++failureCount_;
    throw PortFailure("injected port failure at operation " + std::to_string(number));
  }
}

void RecordingPort::write(uint32_t port, uint8_t value) {
  countOperation();
  trace_->operations.push_back({PortOperation::Kind::Out, port, value});
}

uint8_t RecordingPort::read(uint32_t port) {
  countOperation();
  trace_->operations.push_back({PortOperation::Kind::In, port, 0});
  return 0xFF;
}

void RecordingPort::failAt(std::initializer_list<uint64_t> operationNumbers) {
  failWhen([numbers = std::set<uint64_t>(operationNumbers)](uint64_t number) {
    return numbers.contains(number);
  });
}

void RecordingPort::failWhen(std::function<bool(uint64_t)> shouldFail) {
  shouldFail_ = std::move(shouldFail);
}

void RecordingPort::stopFailing() {
  shouldFail_ = nullptr;
}

}  // namespace om6211
