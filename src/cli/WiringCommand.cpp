#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "cli/CommandSupport.h"
#include "cli/RunStop.h"
#include "cli/WiringSteps.h"

namespace om6211::cli {
namespace {

void setLines(PanelSession& session, uint8_t data, uint8_t control) {
  session.port().write(session.portBase(), data);
  session.port().write(session.portBase() + 2, control);
  // A port that queues its writes (a USB adapter) must show the step while the person looks.
  session.port().flush();
}

void describe(const WiringStep& step, std::size_t number) {
  std::printf(
      "Step %zu of %zu: %s, DB-25 pin %s (%s).\n"
      "  Pin %s is high; every other signal pin is low.\n"
      "  A multimeter from pin %s to a ground pin (18-25) reads about +5 V (at least 2.4 V);\n"
      "  an LED with a 1 kOhm resistor from pin %s to ground lights. At the module this is\n"
      "  %s.\n",
      number, std::size(WiringSteps), step.signal, step.pins, step.register_, step.pins, step.pins,
      step.pins, step.module);
}

// True when the person asked to go on; false on 'q' or the end of the input.
bool promptGoOn() {
  std::fputs("Enter: next step, q: stop > ", stdout);
  std::fflush(stdout);
  char line[64];
  if (std::fgets(line, sizeof line, stdin) == nullptr) {
    stopIfAsked();
    return false;
  }
  return line[0] != 'q' && line[0] != 'Q';
}

int run(const ParsedArguments& arguments) {
  const std::optional<std::string> hold = arguments.value("--hold");
  const std::chrono::seconds holdTime(arguments.number("--hold", 0, 3600, 0));
  PanelSession session(sessionSettingsFrom(arguments));
  setLines(session, RestData, RestControl);
  std::printf(
      "Wiring check on %s: every signal pin low.\n",
      session.hardware() != nullptr ? session.hardware()->name().c_str() : "the virtual panel");
  std::size_t number = 0;
  try {
    for (const WiringStep& step : WiringSteps) {
      setLines(session, step.data, step.control);
      describe(step, ++number);
      if (hold) {
        std::fflush(stdout);
        waitOrStop(holdTime);
      } else if (!promptGoOn()) {
        break;
      }
    }
  } catch (const RunStopped&) {
    setLines(session, RestData, RestControl);
    throw;
  }
  setLines(session, RestData, RestControl);
  std::printf("All signal pins low again.\n");
  return finishSession(session, ExitSuccess);
}

}  // namespace

const Command& wiringCommand() {
  static const Command command{
      {"wiring", "", 0,
       "Steps through the signal lines of the display cable one at a time, for a multimeter "
       "or an LED: each is driven high while the others rest low.",
       joined(
           {{{"--hold", "SECONDS", "step on by itself after SECONDS instead of waiting for Enter"}},
            platformOptions()}),
       "Steps: serial data (pin 1), serial clock (pin 14), reset (pin 3), pins 4-5, backlight\n"
       "(pins 6-9). Each prompt names the signal, its DB-25 pin and what a meter or an LED\n"
       "should show. Enter goes on, q (or the end of the input) stops; all lines are set low\n"
       "again at the end and when the tool is stopped with Ctrl-C.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
