#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/PanelSession.h"
#include "cli/PanelWatcher.h"
#include "dll/ExportBinding.h"

namespace om6211::cli {

// Options that several commands share.
std::vector<OptionSyntax> pictureOptions();   // --png --show --scale --no-grid --png-screens
std::vector<OptionSyntax> platformOptions();  // --port --host-dir --trace
std::vector<OptionSyntax> displayOptions();   // --backlight --contrast --keep
OptionSyntax keepOption();                    // --keep
std::vector<OptionSyntax> joined(std::vector<std::vector<OptionSyntax>> groups);

// Writes "om6211: MESSAGE" to standard error once standard output is flushed, so that both keep
// their order when they go to one file.
void reportProblem(const std::string& message);

// Options turned into settings; each raises UsageError for a bad value. Commands take them all
// before they open any file, so a bad option never leaves an output file emptied.
SessionSettings sessionSettingsFrom(const ParsedArguments& arguments);
PortSelection portSelectionFrom(const std::string& text);
panel::PngStyle pngStyleFrom(const ParsedArguments& arguments);

struct DisplaySettings {
  int contrast = 0;  // 0-255, sent with contrast on
  bool backlight = false;
  int delay = 0;              // both delay counts, where a command has --delay
  uint32_t portBase = 0x378;  // the data register of the session's port
};
// --contrast, --backlight, --delay and the port address of --port.
DisplaySettings displaySettingsFrom(const ParsedArguments& arguments);

// Runs one exported call with the failure channel cleared; the absorbed failure's message (or
// the real port's failure), or empty when the call went through. Raises RunStopped instead of
// calling when a signal asked the run to stop or the real port has failed.
template <typename Call>
std::string failureOf(Call&& call) {
  beforeDriverCall();
  call();
  return afterDriverCall();
}

// The driver information record as `info "<text>" b256 ... b263`.
std::string infoLine();

// Writes out the session's trace; ExitUsage, reported, if it could not be written, else `status`.
int finishSession(PanelSession& session, int status);

// The end of a command on the panel: writes the picture (--png, or `defaultPng`), prints it
// (--show, or always with `showByDefault`), reports unknown commands the panel received, a
// frame left unfinished, and pictures that could not be written. Returns `status`, or
// ExitUsage when an output file could not be written.
int finishOnPanel(const panel::VirtualPanel& panel, const PanelWatcher& watcher,
                  const ParsedArguments& arguments, int status, bool showByDefault,
                  const std::string& defaultPng = "");

}  // namespace om6211::cli
