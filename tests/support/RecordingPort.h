#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <set>

#include "host/PortTrace.h"
#include "seams/PortIo.h"

namespace om6211 {

// A port that records every operation into a trace and can be told to fail chosen operations.
// Operations are numbered from 0 in call order, failed ones included; a failed operation raises
// PortFailure and leaves no line in the trace, since nothing reached the port.
class RecordingPort final : public PortIo {
 public:
  explicit RecordingPort(PortTrace& trace) : trace_(&trace) {}

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;

  // Fails exactly the operations with these numbers.
  void failAt(std::initializer_list<uint64_t> operationNumbers);
  // Fails every operation for which `shouldFail(number)` is true.
  void failWhen(std::function<bool(uint64_t)> shouldFail);
  void stopFailing();

  uint64_t operationCount() const { return operationCount_; }
  uint64_t failureCount() const { return failureCount_; }

 private:
  void countOperation();

  PortTrace* trace_;
  std::function<bool(uint64_t)> shouldFail_;
  uint64_t operationCount_ = 0;
  uint64_t failureCount_ = 0;
};

}  // namespace om6211
