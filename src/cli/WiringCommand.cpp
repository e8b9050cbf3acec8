#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>

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

// Drives a line again and again until the step ends, for the lines that show their level only
// while they carry something.
class Repeater {
 public:
  Repeater(LineCheck& check, std::size_t index) {
    thread_ = std::thread([this, &check, index] {
      try {
        while (!stop_) check.drive(index);
      } catch (const PortFailure& failure) {
        failure_ = failure.what();
      }
    });
  }
  Repeater(const Repeater&) = delete;
  Repeater& operator=(const Repeater&) = delete;
  ~Repeater() { stop(); }
  // Ends the repeating; raises the failure that stopped it early, if one did.
  void finish() {
    stop();
    if (!failure_.empty()) throw PortFailure(failure_);
  }

 private:
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  std::atomic<bool> stop_ = false;
  std::string failure_;
  std::thread thread_;
};

// The wiring check of a board: each of the back end's lines in turn.
int checkBoardLines(PanelSession& session, LineCheck& check, const std::optional<std::string>& hold,
                    std::chrono::seconds holdTime) {
  const std::vector<LineCheck::Line> lines = check.lines();
  check.drive(std::nullopt);
  std::printf("Wiring check on %s: every line low.\n", session.hardware()->name().c_str());
  try {
    for (std::size_t index = 0; index < lines.size(); ++index) {
      const LineCheck::Line& line = lines[index];
      std::printf("Step %zu of %zu: %s, %s.\n", index + 1, lines.size(), line.signal.c_str(),
                  line.where.c_str());
      if (!line.repeated) {
        std::printf(
            "  It is high; every other line is low. A multimeter from it to a ground pin reads "
            "about\n  3.3 V; an LED with a 1 kOhm resistor to ground lights. At the module this "
            "is\n  %s.\n",
            line.module.c_str());
        check.drive(index);
      } else {
        std::printf("  At the module: %s.\n", line.module.c_str());
      }
      std::optional<Repeater> repeater;
      if (line.repeated) repeater.emplace(check, index);
      bool goOn = true;
      if (hold) {
        std::fflush(stdout);
        waitOrStop(holdTime);
      } else {
        goOn = promptGoOn();
      }
      if (repeater) repeater->finish();
      if (!goOn) break;
    }
  } catch (const RunStopped&) {
    check.drive(std::nullopt);
    throw;
  }
  check.drive(std::nullopt);
  std::printf("All lines low again.\n");
  return finishSession(session, ExitSuccess);
}

int run(const ParsedArguments& arguments) {
  const std::optional<std::string> hold = arguments.value("--hold");
  const std::chrono::seconds holdTime(arguments.number("--hold", 0, 3600, 0));
  PanelSession session(sessionSettingsFrom(arguments));
  if (session.hardware() != nullptr && session.hardware()->lineCheck() != nullptr) {
    try {
      return checkBoardLines(session, *session.hardware()->lineCheck(), hold, holdTime);
    } catch (const PortFailure& failure) {
      reportProblem(failure.what());
      return ExitUsage;
    }
  }
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
       "Steps on a parallel port: serial data (pin 1), serial clock (pin 14), reset (pin 3),\n"
       "pins 4-5, backlight (pins 6-9). On gpio: each line of the wiring (din, clk, res, light,\n"
       "cs) high in turn. On spi: the reset and backlight lines in turn, then the SPI clock and\n"
       "data, which carry bursts of ones (the module held in reset) for a meter or an LED to\n"
       "show. On ftdi: each wired ADBUS line (clock, data, reset, backlight, cs) in turn. Each\n"
       "prompt names the signal, where it is and what a meter or an LED should show.\n"
       "Enter goes on, q (or the end of the input) stops; all lines are set low again at the\n"
       "end and when the tool is stopped with Ctrl-C.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
