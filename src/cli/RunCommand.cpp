#include <cstdio>

#include "cli/CommandSupport.h"
#include "cli/ScriptRunner.h"

namespace om6211::cli {
namespace {

int run(const ParsedArguments& arguments) {
  SessionSettings settings = sessionSettingsFrom(arguments);
  settings.retry = arguments.has("--retry");
  const panel::PngStyle style = pngStyleFrom(arguments);
  const PreparedScript script = prepareScript(arguments.positional[0]);
  PanelSession session(settings);
  PanelWatcher watcher(session.panel(), nullptr, arguments.value("--png-screens"), style);
  const ScriptOutcome outcome = runScript(script, session, stdout, arguments.has("--keep"));
  if (arguments.has("--stats")) printCallCosts(outcome.costs, stdout);
  if (outcome.failures > 0) {
    reportProblem(std::to_string(outcome.failures) + " call(s) of " + script.name + " failed");
  }
  if (session.quietFailures() > 0) {
    reportProblem(std::to_string(session.quietFailures()) + " call(s) of " + script.name +
                  " failed while " + session.reconnector()->name() + " was away");
  }
  const bool failed = outcome.failures > 0 || session.quietFailures() > 0;
  const int status = finishSession(session, failed ? ExitCallsFailed : ExitSuccess);
  return finishOnPanel(session.panel(), watcher, arguments, status, false);
}

}  // namespace

const Command& runCommand() {
  static const Command command{
      {"run", "SCRIPT", 1,
       "Replays a host script, one driver call per line, through the driver's exported entry "
       "points onto the virtual panel.",
       joined(
           {{{"--stats", "",
              "after the results, print what the calls cost per entry point (see below)"},
             {"--retry", "",
              "on real hardware that goes away (unplugged, its driver reloaded), go on: "
              "reopen it (at most once a second) and bring the display back when it is there again "
              "(see below)"},
             keepOption()},
            platformOptions(),
            pictureOptions()}),
       "The whole script, and every bitmap file it names, is checked before the first call;\n"
       "a problem names the line and nothing runs (exit status 2). A call that fails is\n"
       "reported with its line and the driver's message and the script goes on; the exit\n"
       "status is then 1. Output that cannot be written (standard output, the trace, a\n"
       "picture) gives exit status 2. Pauses are recorded in the trace, not waited out.\n"
       "With --keep, every LCD_Init of the script continues the display instead of\n"
       "initialising it.\n"
       "\n"
       "Real hardware that fails stops the run (exit status 2). With --retry, a device that\n"
       "went away is reported in one line, then reopened with the same --port at the next call\n"
       "and at most once a second after, a reminder once a minute; one line says when it is\n"
       "back, and the next call that sends brings the display back (reset, initialisation,\n"
       "contrast, mode, the latest picture). The calls made while it was away fail without a\n"
       "line each and give exit status 1; still away at the end, the run gives exit status 2.\n"
       "\n"
       "--stats prints, after the lines the calls print, one line per entry point the script\n"
       "called, in the order DLL_GetInfo, LCD_SetIOPropertys, LCD_Init, LCD_CleanUp,\n"
       "LCD_IsReadyToReceive, LCD_SendToController, LCD_SendToMemory, LCD_SendToGfxMemory,\n"
       "LCD_SetOutputAddress, LCD_SetCGRAMChar, LCD_GetCGRAMChar, LCD_Customize, then a total:\n"
       "  stats NAME calls N frames N operations N\n"
       "  stats total calls N frames N operations N\n"
       "calls counts the calls made (failed ones too), frames the serial frames the panel\n"
       "took in, operations the port reads and writes.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
