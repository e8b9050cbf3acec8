#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "capi/NullBus.h"
#include "host/InjectedPortFault.h"
#include "host/PortFactory.h"
#include "host/Tee.h"
#include "host/TraceWriter.h"
#include "host/TracedPauses.h"
#include "host/TracingPort.h"
#include "link/ParallelPortBus.h"
#include "panel/VirtualPanel.h"
#include "ports/portable/ThreadSleepPauses.h"

namespace om6211::capi {

// What one display's frames go out on: the virtual panel, real hardware (the virtual panel
// listening in on a bus, as the trace shows it), or the null bus; with the trace when asked.
struct DisplayPort {
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  DisplayPort() = default;
  DisplayPort(const DisplayPort&) = delete;
  DisplayPort& operator=(const DisplayPort&) = delete;

  std::unique_ptr<std::FILE, FileCloser> traceFile;  // first, so that it is closed last
  std::optional<TraceWriter> trace;
  std::optional<panel::VirtualPanel> panel;
  bool panelIsTheGlass = false;  // the port is the virtual panel itself
  OpenedHardware hardware;
  std::optional<InjectedPortFault> injectedFault;
  std::optional<TracingPort> tracingPort;
  ParallelPortBus portBus;
  std::optional<Tee<Bus>> teeBus;
  NullBus nullBus;
  ThreadSleepPauses realPauses;
  std::optional<TracedPauses> pauses;
  uint32_t base = panel::VirtualPanel::DefaultPortBase;
  Bus* bus = nullptr;  // where the driver's frames go
};

// Opens what `portText` names ("null", or a port selection) with the trace file `tracePath`
// (none when null). Raises PortSelectionError for a text that names no port, std::system_error
// when the trace file cannot be written, and the back end's error, whose message names the fix,
// when the hardware cannot be had.
std::unique_ptr<DisplayPort> openDisplayPort(std::string_view portText, const char* tracePath);

}  // namespace om6211::capi
