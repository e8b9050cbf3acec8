#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "host/InjectedPortFault.h"
#include "host/PortFactory.h"
#include "host/PortSelection.h"
#include "host/Reconnector.h"
#include "host/Tee.h"
#include "host/TraceWriter.h"
#include "host/TracedPauses.h"
#include "host/TracingPort.h"
#include "link/ParallelPortBus.h"
#include "panel/VirtualPanel.h"
#include "ports/portable/NoHostFolder.h"
#include "ports/portable/NoSettings.h"
#include "ports/portable/ThreadSleepPauses.h"
#include "seams/Platform.h"

namespace om6211 {

// A trace file that cannot be written; the message names it and says why, the code is the
// errno value.
class TraceFileError : public std::system_error {
 public:
  TraceFileError(int error, const std::string& what)
      : std::system_error(error, std::generic_category(), what) {}
};

// What a port stack adds to the port its selection names.
struct PortStackOptions {
  // The file that gets every port operation and pause (the port-trace format).
  std::optional<std::string> trace = std::nullopt;
  // The virtual panel's port operation to fail once, counted from 1; never on real hardware.
  std::optional<uint64_t> failPortOperation = std::nullopt;
  // Whether the virtual panel listens in on a hardware port too; on a bus it always does.
  bool panelOnHardwarePort = true;
  // When given, real hardware that goes away is reopened with the same selection instead of
  // failing for good (see Reconnector); the lines that tell a person so go here.
  Reconnector::Report reconnect = {};
};

// The options of the trace file `trace` and of the environment: the fault that
// OM6211_FAIL_PORT_OPERATION asks for on the virtual panel (the variable is not read for real
// hardware). Raises std::invalid_argument, naming the variable, when it is malformed.
PortStackOptions portStackOptions(const PortSelection& selection, std::optional<std::string> trace);

// The port a face's driver draws through: the virtual panel, or the real hardware a selection
// names with the virtual panel listening in; an injected fault on the virtual panel when asked;
// every port operation and pause written to the trace when asked, a bus's frames as the
// parallel-port traffic that would carry them. Pauses are waited out on real hardware only.
// Constructing it opens and claims the hardware (raising PortOpenError), then opens the trace
// (raising TraceFileError, the hardware released again); destroying it releases both.
class PortStack {
 public:
  explicit PortStack(const PortSelection& selection, const PortStackOptions& options = {});
  PortStack(const PortStack&) = delete;
  PortStack& operator=(const PortStack&) = delete;

  // The platform of a driver on this stack, with the settings and host folder the face gives.
  Platform platform(SettingsLookup& settings, HostFolder& hostFolder) {
    return Platform{port_, &pauses_, &settings, &hostFolder, bus()};
  }
  // The same without a settings file or a host folder: every setting takes its default.
  Platform platform() { return platform(noSettings_, noHostFolder_); }
  // The top of the port stack, for tools that set the lines themselves; on a bus, the virtual
  // panel's.
  PortIo& port() { return *port_; }
  // The tee of the real bus and the panel; none unless the hardware is a bus.
  Bus* bus() { return teeBus_ ? &*teeBus_ : nullptr; }
  // Where a driver's frames go: that tee, else the frames clocked out on the stack's port.
  Bus& frameBus() { return teeBus_ ? static_cast<Bus&>(*teeBus_) : portBus_; }
  TracedPauses& pauses() { return pauses_; }
  TraceWriter* trace() { return trace_.get(); }
  // The data register the driver is configured with and the virtual panel is wired to.
  uint32_t portBase() const { return portBase_; }
  // The real hardware; none for the virtual panel (nor while a device reopened when it goes
  // away is away).
  Hardware* hardware() const { return reconnector_ ? reconnector_->hardware() : hardware_.get(); }
  // The device reopened when it goes away; none unless the options asked for it.
  const Reconnector* reconnector() const { return reconnector_ ? &*reconnector_ : nullptr; }
  // The virtual panel; none on a hardware port it does not listen to.
  panel::VirtualPanel* panel() { return panel_ ? &*panel_ : nullptr; }
  const panel::VirtualPanel* panel() const { return panel_ ? &*panel_ : nullptr; }

 private:
  uint32_t portBase_;
  // Opened first: whatever fails later in construction releases it again.
  OpenedHardware hardware_;
  std::optional<Reconnector> reconnector_;  // when asked for, it holds the hardware instead
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  // Closed after the trace is written out.
  std::unique_ptr<std::FILE, FileCloser> traceFile_;
  std::unique_ptr<TraceWriter> trace_;
  ThreadSleepPauses realPauses_;
  TracedPauses pauses_;
  std::optional<panel::VirtualPanel> panel_;
  std::optional<Tee<PortIo>> teePort_;
  std::optional<InjectedPortFault> injectedFault_;
  std::optional<TracingPort> tracingPort_;
  PortIo* port_ = nullptr;
  ParallelPortBus portBus_;
  std::optional<Tee<Bus>> teeBus_;
  NoSettings noSettings_;
  NoHostFolder noHostFolder_;
};

}  // namespace om6211
