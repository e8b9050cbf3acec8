#pragma once

#include <string_view>

#include "capi/NullBus.h"
#include "host/PortSelection.h"
#include "host/PortStack.h"
#include "panel/VirtualPanel.h"

namespace om6211::capi {

// What one display's frames go out on: the faces' one port stack for a port selection (the
// virtual panel, or real hardware that is reopened when it goes away), or for "null" the
// virtual panel's stack with every frame dropped before it.
class DisplayPort {
 public:
  // Opens what `portText` names with the trace file `tracePath` (none when null). Raises
  // PortSelectionError for a text that names no port, TraceFileError when the trace file
  // cannot be written, and PortOpenError, whose message names the fix, when the hardware
  // cannot be had.
  DisplayPort(std::string_view portText, const char* tracePath);
  DisplayPort(const DisplayPort&) = delete;
  DisplayPort& operator=(const DisplayPort&) = delete;

  // The platform of a driver whose frames go out on `bus`, with no settings file or host folder.
  Platform platform(Bus& bus) {
    Platform platform = stack_.platform();
    platform.bus = &bus;
    return platform;
  }
  // Where the frames go.
  Bus& bus() { return dropsFrames_ ? nullBus_ : stack_.frameBus(); }
  TraceWriter* trace() { return stack_.trace(); }
  uint32_t portBase() const { return stack_.portBase(); }
  // The virtual panel where it is the glass; none on real hardware and on the null port.
  const panel::VirtualPanel* glass() const { return panelIsTheGlass_ ? stack_.panel() : nullptr; }
  // The real hardware's device while it is away; none otherwise.
  const Reconnector* awayDevice() const {
    const Reconnector* device = stack_.reconnector();
    return device != nullptr && device->away() ? device : nullptr;
  }

 private:
  DisplayPort(bool dropsFrames, const PortSelection& selection, const char* tracePath);

  bool dropsFrames_;
  PortStack stack_;
  bool panelIsTheGlass_;
  NullBus nullBus_;
};

}  // namespace om6211::capi
