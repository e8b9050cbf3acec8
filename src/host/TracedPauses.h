#pragma once

#include <functional>
#include <utility>

#include "host/TraceWriter.h"
#include "seams/Pauses.h"

namespace om6211 {

// Pauses of a run: written to the trace, if there is one, and waited out only by `waiter`
// (real pauses for a real port; none for the virtual panel).
class TracedPauses final : public Pauses {
 public:
  explicit TracedPauses(TraceWriter* trace, Pauses* waiter = nullptr)
      : trace_(trace), waiter_(waiter) {}

  void sleep(uint32_t milliseconds) override {
    if (trace_ != nullptr) trace_->append({PortOperation::Kind::Sleep, milliseconds, 0});
    if (listener_) listener_(milliseconds);
    if (waiter_ != nullptr) waiter_->sleep(milliseconds);
  }

  // Called at each pause: the moment the glass is meant to be looked at.
  void listen(std::function<void(uint32_t)> listener) { listener_ = std::move(listener); }

 private:
  TraceWriter* trace_;
  Pauses* waiter_;
  std::function<void(uint32_t)> listener_;
};

}  // namespace om6211
