#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/TraceWriter.h"
#include "cli/TracedPauses.h"
#include "cli/TracingPort.h"
#include "panel/VirtualPanel.h"
#include "platform/IniFileLookup.h"
#include "platform/ProcessHostFolder.h"

namespace om6211::cli {

struct SessionSettings {
  std::string port = "virtual";      // the port back end: "virtual" or "virtual:BASE" (hex)
  std::optional<std::string> trace;  // file to write the port trace to
  std::optional<std::string> hostDir;
};

// The data register the virtual panel is wired to, from a port selection; raises UsageError
// for a back end this build does not have.
uint32_t panelPortBase(std::string_view selection);

// The platform of one run of the tool: the virtual panel as the port (teed into the trace file
// when asked), pauses recorded and not waited out, the settings file below the host folder.
// Constructing it binds the exported driver to it, once, for the rest of the process.
class PanelSession {
 public:
  explicit PanelSession(const SessionSettings& settings);
  PanelSession(const PanelSession&) = delete;
  PanelSession& operator=(const PanelSession&) = delete;
  ~PanelSession();

  panel::VirtualPanel& panel() { return panel_; }
  TracedPauses& pauses() { return pauses_; }
  TraceWriter* trace() { return trace_.get(); }

  // Writes out the trace; the problem, if the trace file could not be written.
  std::optional<std::string> finish();

 private:
  class GivenHostFolder final : public HostFolder {
   public:
    explicit GivenHostFolder(std::string folder) : folder_(std::move(folder)) {}
    std::string path() override { return folder_; }

   private:
    std::string folder_;
  };

  panel::VirtualPanel panel_;
  std::FILE* traceFile_ = nullptr;
  std::unique_ptr<TraceWriter> trace_;
  std::unique_ptr<TracingPort> tracingPort_;
  TracedPauses pauses_;
  IniFileLookup settings_;
  ProcessHostFolder processFolder_;
  std::unique_ptr<GivenHostFolder> givenFolder_;
};

}  // namespace om6211::cli
