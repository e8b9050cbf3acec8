#include "host/PortStack.h"

#include <cerrno>
#include <cstring>

namespace om6211 {
namespace {

std::FILE* openTraceFile(const std::optional<std::string>& path) {
  if (!path) return nullptr;
  std::FILE* file = std::fopen(path->c_str(), "wb");
  if (file == nullptr) {
    throw TraceFileError("cannot write the trace " + *path + ": " + std::strerror(errno));
  }
  return file;
}

}  // namespace

PortStackOptions portStackOptions(const PortSelection& selection,
                                  std::optional<std::string> trace) {
  return {.trace = std::move(trace),
          .failPortOperation =
              selection.isHardware() ? std::nullopt : InjectedPortFault::fromEnvironment()};
}

PortStack::PortStack(const PortSelection& selection, const PortStackOptions& options)
    : portBase_(selection.base),
      hardware_(openHardware(selection, portBase_)),
      traceFile_(openTraceFile(options.trace)),
      trace_(traceFile_ ? std::make_unique<TraceWriter>(traceFile_.get(), *options.trace)
                        : nullptr),
      pauses_(trace_.get(), hardware_.get() != nullptr ? &realPauses_ : nullptr) {
  PortIo* hardwarePort = hardware_.port.get();
  Bus* hardwareBus = hardware_.bus.get();
  if (options.reconnect && hardware_.get() != nullptr) {
    reconnector_.emplace(
        std::move(hardware_),
        [selection, base = portBase_] { return reopenHardware(selection, base); },
        options.reconnect);
    hardwarePort = reconnector_->port();
    hardwareBus = reconnector_->bus();
  }
  if (hardwarePort == nullptr || options.panelOnHardwarePort) panel_.emplace(portBase_);
  if (hardwarePort == nullptr) {
    port_ = &*panel_;
  } else if (panel_) {
    port_ = &teePort_.emplace(*hardwarePort, *panel_);
  } else {
    port_ = hardwarePort;
  }
  if (options.failPortOperation && !selection.isHardware()) {
    port_ = &injectedFault_.emplace(*port_, *options.failPortOperation);
  }
  if (trace_) port_ = &tracingPort_.emplace(*port_, *trace_);
  if (hardwareBus != nullptr) {
    panelBus_.bind(*port_, portBase_);
    teeBus_.emplace(*hardwareBus, panelBus_);
  }
}

}  // namespace om6211
