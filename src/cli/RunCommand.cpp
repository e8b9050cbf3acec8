#include <cstdio>

#include "cli/CommandSupport.h"
#include "cli/ScriptRunner.h"

namespace om6211::cli {
namespace {

int run(const ParsedArguments& arguments) {
  const PreparedScript script = prepareScript(arguments.positional[0]);
  PanelSession session(sessionSettingsFrom(arguments));
  PanelWatcher watcher(session.panel(), nullptr, arguments.value("--png-screens"),
                       pngStyleFrom(arguments));
  const std::size_t failures = runScript(script, session.trace(), stdout);
  if (failures > 0) {
    std::fprintf(stderr, "om6211: %zu call(s) of %s failed\n", failures, script.name.c_str());
  }
  const int status = finishSession(session, failures > 0 ? ExitCallsFailed : ExitSuccess);
  return finishOnPanel(session.panel(), watcher, arguments, status, false);
}

}  // namespace

const Command& runCommand() {
  static const Command command{
      {"run", "SCRIPT", 1,
       "Replays a host script, one driver call per line, through the driver's exported entry "
       "points onto the virtual panel.",
       joined({platformOptions(), pictureOptions()}),
       "The whole script, and every bitmap file it names, is checked before the first call;\n"
       "a problem names the line and nothing runs (exit status 2). A call that fails is\n"
       "reported with its line and the driver's message and the script goes on; the exit\n"
       "status is then 1. Pauses are recorded in the trace, not waited out.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
