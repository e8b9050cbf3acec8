#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

namespace om6211::cli {

// Ends a run between two driver calls: a signal asked the tool to stop, or the real port
// failed. By the time the tool reports it, the session and its port have been released.
class RunStopped : public std::runtime_error {
 public:
  RunStopped(const std::string& message, int exitStatus)
      : std::runtime_error(message), exitStatus_(exitStatus) {}
  int exitStatus() const { return exitStatus_; }

 private:
  int exitStatus_;
};

// Makes SIGINT and SIGTERM ask the run to stop once the driver call in progress has finished,
// instead of killing the tool with the port still claimed. A second one after that (a call
// with a huge delay may take minutes) ends the tool at once, killed by that signal.
void installStopHandlers();

// The signal that asked the run to stop; 0 while none has.
int stopSignal();

// Raises RunStopped (exit status 128 + the signal's number) when a signal asked for a stop,
// once per signal.
void stopIfAsked();

// Waits `duration`, raising RunStopped as soon as a signal asks for a stop.
void waitOrStop(std::chrono::milliseconds duration);

}  // namespace om6211::cli
