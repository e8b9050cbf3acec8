#include "cli/PanelSession.h"

#include <cerrno>
#include <cstring>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/RunStop.h"
#include "dll/ExportBinding.h"

namespace om6211::cli {
namespace {

std::FILE* openTrace(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    throw UsageError(path + ": cannot be written (" + std::strerror(errno) + ")");
  return file;
}

// The session the exported driver is bound to; there is one at a time.
PanelSession* activeSession = nullptr;
uint64_t portFailuresBeforeCall = 0;

uint64_t portFailures() {
  const Hardware* port = activeSession != nullptr ? activeSession->hardware() : nullptr;
  return port != nullptr ? port->failureCount() : 0;
}

}  // namespace

void beforeDriverCall() {
  stopIfAsked();
  if (portFailures() > 0) {
    throw RunStopped(
        "the run was stopped: " + activeSession->hardware()->name() + " failed (reported above)",
        ExitUsage);
  }
  portFailuresBeforeCall = portFailures();
  exported::clearLastFailure();
}

std::string afterDriverCall() {
  std::string failure = exported::lastFailure();
  if (failure.empty() && portFailures() != portFailuresBeforeCall) {
    failure = activeSession->hardware()->lastFailure();
  }
  return failure;
}

PanelSession::PanelSession(const SessionSettings& settings)
    : portBase_(settings.port.base),
      panel_(portBase_),
      hardware_(openHardware(settings.port, portBase_)),
      traceFile_(settings.trace ? openTrace(*settings.trace) : nullptr),
      trace_(traceFile_ != nullptr ? std::make_unique<TraceWriter>(traceFile_, *settings.trace)
                                   : nullptr),
      teePort_(hardware_.port ? std::make_unique<TeePort>(*hardware_.port, panel_) : nullptr),
      port_(teePort_ ? static_cast<PortIo*>(teePort_.get()) : &panel_),
      pauses_(trace_.get(), hardware_.get() != nullptr ? &realPauses_ : nullptr) {
  if (settings.failPortOperation && hardware_.get() == nullptr) {
    injectedFault_ = std::make_unique<InjectedPortFault>(panel_, *settings.failPortOperation);
    port_ = injectedFault_.get();
  }
  if (trace_) {
    tracingPort_ = std::make_unique<TracingPort>(*port_, *trace_);
    port_ = tracingPort_.get();
  }
  if (hardware_.bus) {
    panelBus_.bind(*port_, portBase_);
    teeBus_ = std::make_unique<TeeBus>(*hardware_.bus, panelBus_);
  }
  HostFolder* hostFolder = &processFolder_;
  if (settings.hostDir) {
    std::string folder = *settings.hostDir;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    givenFolder_ = std::make_unique<GivenHostFolder>(folder);
    hostFolder = givenFolder_.get();
  }
  exported::usePlatform(Platform{port_, &pauses_, &settings_, hostFolder, teeBus_.get()});
  activeSession = this;
}

PanelSession::~PanelSession() {
  // Nothing may point into this session once it is gone.
  exported::useNativePlatform();
  activeSession = nullptr;
  trace_.reset();
  if (traceFile_ != nullptr) std::fclose(traceFile_);
}

std::optional<std::string> PanelSession::finish() {
  if (trace_ && !trace_->flush()) return trace_->problem();
  if (const Hardware* hardware = hardware_.get(); hardware && hardware->failureCount() > 0) {
    return hardware->name() + " failed during the run: " + hardware->lastFailure();
  }
  return std::nullopt;
}

}  // namespace om6211::cli
