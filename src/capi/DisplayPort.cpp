#include "capi/DisplayPort.h"

#include <cstdio>
#include <optional>
#include <string>

namespace om6211::capi {
namespace {

// What the port stack says when a device goes away and when it is back: a program's standard
// error gets the lines LCDd's log gets.
void reportLine(const std::string& line) {
  std::fprintf(stderr, "om6211: %s\n", line.c_str());
}

PortSelection selectionOf(std::string_view portText) {
  return portText == NullBus::PortText ? PortSelection{} : parsePortSelection(portText);
}

PortStackOptions stackOptions(const PortSelection& selection, const char* tracePath) {
  PortStackOptions options = portStackOptions(
      selection, tracePath != nullptr ? std::optional<std::string>(tracePath) : std::nullopt);
  options.reconnect = reportLine;
  return options;
}

}  // namespace

DisplayPort::DisplayPort(std::string_view portText, const char* tracePath)
    : DisplayPort(portText == NullBus::PortText, selectionOf(portText), tracePath) {}

DisplayPort::DisplayPort(bool dropsFrames, const PortSelection& selection, const char* tracePath)
    : dropsFrames_(dropsFrames),
      stack_(selection, stackOptions(selection, tracePath)),
      panelIsTheGlass_(!dropsFrames && !selection.isHardware()) {}

}  // namespace om6211::capi
