#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "host/TeePort.h"
#include "link/ParallelPortBus.h"
#include "panel/VirtualPanel.h"
#include "ports/portable/IniFileLookup.h"
#include "host/InjectedPortFault.h"
#include "host/PortSelection.h"
#include "ports/portable/ProcessHostFolder.h"
#include "host/TeeBus.h"
#include "ports/portable/ThreadSleepPauses.h"
#include "host/TraceWriter.h"
#include "host/TracedPauses.h"
#include "host/TracingPort.h"
#include "host/PortFactory.h"

namespace om6211::cli {

struct SessionSettings {
  PortSelection port;                // the virtual panel unless --port names another
  std::optional<std::string> trace;  // file to write the port trace to
  std::optional<std::string> hostDir;
  // The virtual panel's port operation to fail once (OM6211_FAIL_PORT_OPERATION).
  std::optional<uint64_t> failPortOperation;
};

// The platform of one run of the tool: the virtual panel as the port, or real hardware with
// the virtual panel listening in (either teed into the trace file when asked; a bus's frames
// reach the panel and the trace as the parallel port would carry them); pauses recorded, and
// waited out on real hardware; the settings file below the host folder.
// Constructing it opens and claims the hardware (raising PortOpenError when it cannot) and
// binds the exported driver to it, once, for the rest of the process; destroying it releases
// the hardware.
class PanelSession {
 public:
  explicit PanelSession(const SessionSettings& settings);
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;
  ~PanelSession();

  panel::VirtualPanel& panel() { return panel_; }
  TracedPauses& pauses() { return pauses_; }
  TraceWriter* trace() { return trace_.get(); }
  // The port the driver is bound to, for tools that set the lines themselves; on a bus, the
  // virtual panel's.
  PortIo& port() { return *port_; }
  uint32_t portBase() const { return portBase_; }
  // The real hardware, if the session has some.
  Hardware* hardware() const { return hardware_.get(); }

  // Writes out the trace; the problem, if the trace file could not be written or the real port
  // failed during the run.
  std::optional<std::string> finish();

 private:
  class GivenHostFolder final : public HostFolder {
   public:
    explicit GivenHostFolder(std::string folder) : folder_(std::move(folder)) {}
    std::string path() override { return folder_; }

   private:
    std::string folder_;
  };

  uint32_t portBase_;
  panel::VirtualPanel panel_;
  // Opened first: whatever fails later in construction releases it again.
  OpenedHardware hardware_;
  std::FILE* traceFile_ = nullptr;
  std::unique_ptr<TraceWriter> trace_;
  std::unique_ptr<TeePort> teePort_;
  std::unique_ptr<InjectedPortFault> injectedFault_;
  std::unique_ptr<TracingPort> tracingPort_;
  PortIo* port_;
  ParallelPortBus panelBus_;
  std::unique_ptr<TeeBus> teeBus_;
  ThreadSleepPauses realPauses_;
  TracedPauses pauses_;
  IniFileLookup settings_;
  ProcessHostFolder processFolder_;
  std::unique_ptr<GivenHostFolder> givenFolder_;
};

// Around every driver call of the tool (see failureOf). Before it: raises RunStopped when a
// signal asked the run to stop (exit status 128 + signal) or the session's real port has
// failed (exit status 2). After it: the message of the call's failure, the one the driver
// kept or a port failure it absorbed; empty when the call went through.
void beforeDriverCall();
std::string afterDriverCall();

}  // namespace om6211::cli
