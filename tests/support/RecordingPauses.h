#pragma once

#include "host/PortTrace.h"
#include "seams/Pauses.h"

namespace om6211 {

// Records each pause as a trace line instead of waiting it out.
class RecordingPauses final : public Pauses {
 public:
  explicit RecordingPauses(PortTrace& trace) : trace_(&trace) {}

  void sleep(uint32_t milliseconds) override {
    trace_->operations.push_back({PortOperation::Kind::Sleep, milliseconds, 0});
  }

 private:
  PortTrace* trace_;
};

}  // namespace om6211
