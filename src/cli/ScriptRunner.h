#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/HostScript.h"
#include "cli/PanelSession.h"
#include "cli/ScriptBitmaps.h"

namespace om6211::cli {

// A host script checked completely, with every bitmap file it names already read. Only the
// text is kept of the script itself: its lines are parsed again as they run, so memory does
// not grow with parsed calls.
struct PreparedScript {
  std::string name;
  std::string text;
  std::string folder;  // file names in the script are relative to it
  ScriptBitmaps bitmaps;
};

// Reads and checks the script at `path`; raises UsageError "SCRIPT:LINE: problem" (or
// "SCRIPT: problem") having called nothing.
PreparedScript prepareScript(const std::string& path);

// What the calls of one entry point made and cost on the panel.
struct CallCost {
  uint64_t calls = 0;
  uint64_t frames = 0;      // serial frames the panel took in
  uint64_t operations = 0;  // port reads and writes
};
inline constexpr std::size_t ScriptCommandCount =
    static_cast<std::size_t>(ScriptCommand::Customize) + 1;
using CallCosts = std::array<CallCost, ScriptCommandCount>;  // indexed by ScriptCommand

struct ScriptOutcome {
  std::size_t failures = 0;
  CallCosts costs;
};

// Makes the calls through the exported entry points, printing what the calls return to `out`
// and each failure, with its line and the driver's message, to standard error (`out` flushed
// first, so both keep the script's order in one file); a failed call does not stop the run.
// Each call is announced in the session's trace, if any. With `keep`, each LCD_Init continues
// the display instead (no reset, no start-up picture, no blank).
ScriptOutcome runScript(const PreparedScript& script, PanelSession& session, std::FILE* out,
                        bool keep = false);

// The costs as "stats NAME calls N frames N operations N", one line per entry point called in
// the order of the entry points, then "stats total ...".
void printCallCosts(const CallCosts& costs, std::FILE* out);

}  // namespace om6211::cli
