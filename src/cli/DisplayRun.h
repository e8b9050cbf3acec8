#pragma once

#include <string>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/PanelSession.h"
#include "cli/PanelWatcher.h"

namespace om6211::cli {

// One run of a command that puts something on the display (image, text, pattern, demo). Every
// option is read and checked before any file is opened; then the session with its port and
// trace, and the watcher of the panel's screens, are opened.
class DisplayRun {
 public:
  explicit DisplayRun(const ParsedArguments& arguments);

  PanelSession& session() { return session_; }

  // Configures the default geometry with the display options (--contrast, --backlight, --delay)
  // and initialises the display, or continues it with --keep.
  void configureAndInit();
  // Reports a call's failure, "WHAT failed: FAILURE", unless `failure` is empty.
  void check(const std::string& what, const std::string& failure);

  // Writes out the trace and the pictures and reports what went wrong; the exit status: 0, 1 if
  // calls failed, 2 if output could not be written. The glass goes to the terminal with --show,
  // or always with `showByDefault`; to a PNG file with --png, or else to `defaultPng`.
  int finish(bool showByDefault, const std::string& defaultPng = "");

 private:
  const ParsedArguments& arguments_;
  DisplaySettings display_;
  panel::PngStyle style_;
  PanelSession session_;
  PanelWatcher watcher_;
  bool succeeded_ = true;
};

}  // namespace om6211::cli
