#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/GrayImage.h"
#include "cli/HostBitmap.h"
#include "cli/HostScript.h"
#include "cli/TraceWriter.h"

namespace om6211::cli {

// The bitmap argument of an LCD_SendToGfxMemory line: a raw 4032-byte host bitmap, or an image
// that is thresholded at call time with the row stride of the graphics width then configured.
struct ScriptGraphic {
  std::optional<HostBitmap> raw;
  GrayImage image;
};

// A host script checked completely, with every file it names already read.
struct PreparedScript {
  std::string name;
  std::vector<std::string> lines;  // the source lines, for trace annotations
  std::vector<ScriptCall> calls;
  std::vector<ScriptGraphic> graphics;  // one per call; used by LCD_SendToGfxMemory only
};

// Reads and checks the script at `path`; raises UsageError "SCRIPT:LINE: problem" (or
// "SCRIPT: problem") having called nothing.
PreparedScript prepareScript(const std::string& path);

// Makes the calls through the exported entry points, printing what the calls return to `out`
// and each failure, with its line and the driver's message, to standard error; a failed call
// does not stop the run. Each call is announced in the trace, if any. Returns the number of
// calls that failed.
std::size_t runScript(const PreparedScript& script, TraceWriter* trace, std::FILE* out);

}  // namespace om6211::cli
