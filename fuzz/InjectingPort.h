#pragma once

#include <cstdint>

#include "host/PortTrace.h"
#include "seams/Pauses.h"
#include "seams/PortIo.h"

namespace om6211::fuzzing {

// The port and pauses of the entry-points target: like the recording port, it records every
// operation and pause into `trace` and numbers the port operations from 0, failed ones included;
// it fails the operations a rule picks, which is plain data so that every operation stays
// cheap. Built without coverage feedback: it is the target's machinery, not code under test.
class InjectingPort final : public PortIo, public Pauses {
 public:
  enum class Rule : uint8_t {
    Never,
    At,     // the operation numbered `number`
    From,   // every operation from `number` on: the port is gone
    Every,  // every operation whose number is a multiple of `number`
  };

  void failBy(Rule rule, uint64_t number = 0);

  void write(uint32_t port, uint8_t value) override;
  uint8_t read(uint32_t port) override;
  void sleep(uint32_t milliseconds) override;

  uint64_t operationCount() const { return operations_; }
  uint64_t failureCount() const { return failures_; }

  PortTrace trace;

 private:
  void countOperation();

  Rule rule_ = Rule::Never;
  uint64_t number_ = 0;
  uint64_t operations_ = 0;
  uint64_t failures_ = 0;
};

}  // namespace om6211::fuzzing
