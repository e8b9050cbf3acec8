#include "cli/PanelSession.h"

#include <cstdio>

#include "cli/Command.h"
#include "cli/RunStop.h"
#include "dll/ExportBinding.h"
#include "ports/portable/Remedy.h"

namespace om6211::cli {
namespace {

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

// Writes a line the device that is reopened tells, once standard output is flushed.
void reportDeviceLine(const std::string& line) {
  std::fflush(stdout);
  std::fprintf(stderr, "om6211: %s\n", line.c_str());
}

}  // namespace

void beforeDriverCall() {
  stopIfAsked();
  if (portFailures() > 0 && activeSession->reconnector() == nullptr) {
    throw RunStopped("the run was stopped: " + activeSession->hardware()->name() +
                         " failed (reported above)." + troubleshootingReference("retry"),
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
    : stack_(settings.port, {.trace = settings.trace,
                             .failPortOperation = settings.failPortOperation,
                             .reconnect = settings.retry ? Reconnector::Report(reportDeviceLine)
                                                         : Reconnector::Report()}) {
  HostFolder* hostFolder = &processFolder_;
  if (settings.hostDir) {
    std::string folder = *settings.hostDir;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    givenFolder_ = std::make_unique<GivenHostFolder>(folder);
    hostFolder = givenFolder_.get();
  }
  exported::usePlatform(stack_.platform(settings_, *hostFolder));
  activeSession = this;
}

PanelSession::~PanelSession() {
  // Nothing may point into this session once it is gone.
  exported::useNativePlatform();
  activeSession = nullptr;
}

std::optional<std::string> PanelSession::finish() {
  if (TraceWriter* trace = stack_.trace(); trace && !trace->flush()) return trace->problem();
  if (const Reconnector* device = stack_.reconnector()) {
    if (!device->away()) return std::nullopt;
    return device->name() + " was still away at the end of the run";
  }
  if (const Hardware* hardware = stack_.hardware(); hardware && hardware->failureCount() > 0) {
    return hardware->name() + " failed during the run: " + hardware->lastFailure();
  }
  return std::nullopt;
}

}  // namespace om6211::cli
