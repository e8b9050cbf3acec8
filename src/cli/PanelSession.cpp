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
  if (activeSession == nullptr) return 0;
  if (const Reconnector* device = activeSession->reconnector()) return device->failureCount();
  const Hardware* port = activeSession->hardware();
  return port != nullptr ? port->failureCount() : 0;
}

std::string lastPortFailure() {
  if (const Reconnector* device = activeSession->reconnector()) return device->lastFailure();
  return activeSession->hardware()->lastFailure();
}

}  // namespace

void beforeDriverCall() {
  stopIfAsked();
  if (portFailures() > 0 && activeSession->reconnector() == nullptr) {
    throw RunStopped(
        "the run was stopped: " + activeSession->hardware()->name() + " failed (reported above)",
        ExitUsage);
  }
  portFailuresBeforeCall = portFailures();
  exported::clearLastFailure();
}

std::string afterDriverCall() {
  std::string failure = exported::lastFailure();
  if (failure.empty() && portFailures() != portFailuresBeforeCall) failure = lastPortFailure();
  if (const Reconnector* device = activeSession != nullptr ? activeSession->reconnector() : nullptr;
      device != nullptr && device->told(failure)) {
    activeSession->noteQuietFailure();
    return {};
  }
  return failure;
}

PanelSession::PanelSession(const SessionSettings& settings)
    : portBase_(settings.port.base),
      panel_(portBase_),
      hardware_(openHardware(settings.port, portBase_)),
      reconnector_(
          settings.retry && hardware_.get() != nullptr
              ? std::optional<Reconnector>(
                    std::in_place, std::move(hardware_),
                    [port = settings.port, base = portBase_] { return reopenHardware(port, base); },
                    [](const std::string& line) {
                      std::fflush(stdout);
                      std::fprintf(stderr, "om6211: %s\n", line.c_str());
                    })
              : std::nullopt),
      traceFile_(settings.trace ? openTrace(*settings.trace) : nullptr),
      trace_(traceFile_ != nullptr ? std::make_unique<TraceWriter>(traceFile_, *settings.trace)
                                   : nullptr),
      teePort_(hardwarePort() != nullptr ? std::make_unique<TeePort>(*hardwarePort(), panel_)
                                         : nullptr),
      port_(teePort_ ? static_cast<PortIo*>(teePort_.get()) : &panel_),
      pauses_(trace_.get(), settings.port.isHardware() ? &realPauses_ : nullptr) {
  if (settings.failPortOperation && !settings.port.isHardware()) {
    injectedFault_ = std::make_unique<InjectedPortFault>(panel_, *settings.failPortOperation);
    port_ = injectedFault_.get();
  }
  if (trace_) {
    tracingPort_ = std::make_unique<TracingPort>(*port_, *trace_);
    port_ = tracingPort_.get();
  }
  if (Bus* bus = reconnector_ ? reconnector_->bus() : hardware_.bus.get()) {
    panelBus_.bind(*port_, portBase_);
    teeBus_ = std::make_unique<TeeBus>(*bus, panelBus_);
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
  if (reconnector_) {
    if (!reconnector_->away()) return std::nullopt;
    return reconnector_->name() + " was still away at the end of the run";
  }
  if (const Hardware* hardware = hardware_.get(); hardware && hardware->failureCount() > 0) {
    return hardware->name() + " failed during the run: " + hardware->lastFailure();
  }
  return std::nullopt;
}

}  // namespace om6211::cli
