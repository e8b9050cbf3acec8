#include "capi/DisplayPort.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "host/PortSelection.h"

namespace om6211::capi {

std::unique_ptr<DisplayPort> openDisplayPort(std::string_view portText, const char* tracePath) {
  auto port = std::make_unique<DisplayPort>();
  const bool null = portText == NullBus::PortText;
  const PortSelection selection = null ? PortSelection{} : parsePortSelection(portText);
  port->base = selection.base;
  if (tracePath != nullptr) {
    port->traceFile.reset(std::fopen(tracePath, "wb"));
    if (!port->traceFile) {
      throw std::system_error(errno, std::generic_category(),
                              std::string("cannot write the trace ") + tracePath);
    }
    port->trace.emplace(port->traceFile.get(), tracePath);
  }
  TraceWriter* const trace = port->trace ? &*port->trace : nullptr;
  port->pauses.emplace(trace, selection.isHardware() ? &port->realPauses : nullptr);
  if (null) {
    port->bus = &port->nullBus;
    return port;
  }
  port->hardware = openHardware(selection, selection.base);
  PortIo* io = port->hardware.port.get();
  if (io == nullptr) {
    io = &port->panel.emplace(selection.base);
    port->panelIsTheGlass = !selection.isHardware();
  }
  if (port->panelIsTheGlass) {
    if (const auto failing = InjectedPortFault::fromEnvironment()) {
      io = &port->injectedFault.emplace(*io, *failing);
    }
  }
  if (trace != nullptr) io = &port->tracingPort.emplace(*io, *trace);
  port->portBus.bind(*io, selection.base);
  port->bus = port->hardware.bus ? &port->teeBus.emplace(*port->hardware.bus, port->portBus)
                                 : static_cast<Bus*>(&port->portBus);
  return port;
}

}  // namespace om6211::capi
