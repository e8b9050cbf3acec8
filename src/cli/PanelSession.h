#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/PortSelection.h"
#include "host/PortStack.h"
#include "ports/portable/IniFileLookup.h"
#include "ports/portable/ProcessHostFolder.h"

namespace om6211::cli {

struct SessionSettings {
  PortSelection port;                // the virtual panel unless --port names another
  std::optional<std::string> trace;  // file to write the port trace to
  std::optional<std::string> hostDir;
  // The virtual panel's port operation to fail once (OM6211_FAIL_PORT_OPERATION).
  std::optional<uint64_t> failPortOperation;
  // Real hardware that goes away is reopened once a second and the run goes on (--retry);
  // without it, the run stops.
  bool retry = false;
};

// The platform of one run of the tool: the port stack of the selection, the virtual panel
// always listening in; the settings file below the host folder.
// Constructing it opens and claims the hardware (raising PortOpenError when it cannot) and
// binds the exported driver to it, once, for the rest of the process; destroying it releases
// the hardware.
class PanelSession {
 public:
  explicit PanelSession(const SessionSettings& settings);
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;
  ~PanelSession();

  panel::VirtualPanel& panel() { return *stack_.panel(); }
  TracedPauses& pauses() { return stack_.pauses(); }
  TraceWriter* trace() { return stack_.trace(); }
  // The port the driver is bound to, for tools that set the lines themselves; on a bus, the
  // virtual panel's.
  PortIo& port() { return stack_.port(); }
  uint32_t portBase() const { return stack_.portBase(); }
  // The real hardware, if the session has some (with retry, while it is not away).
  Hardware* hardware() const { return stack_.hardware(); }
  // With retry: the device that is reopened when it goes away.
  const Reconnector* reconnector() const { return stack_.reconnector(); }
  // Calls that failed while the device was away or going, which its own lines reported.
  uint64_t quietFailures() const { return quietFailures_; }
  void noteQuietFailure() { ++quietFailures_; }

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

  PortStack stack_;
  uint64_t quietFailures_ = 0;
  IniFileLookup settings_;
  ProcessHostFolder processFolder_;
  std::unique_ptr<GivenHostFolder> givenFolder_;
};

// Around every driver call of the tool (see failureOf). Before it: raises RunStopped when a
// signal asked the run to stop (exit status 128 + signal) or the session's real port has
// failed (exit status 2; with retry the run goes on). After it: the message of the call's
// failure, the one the driver kept or a port failure it absorbed; empty when the call went
// through, or when the failure is the device's going away, which its own lines report.
void beforeDriverCall();
std::string afterDriverCall();

}  // namespace om6211::cli
