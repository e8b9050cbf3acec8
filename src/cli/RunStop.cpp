#include "cli/RunStop.h"

#include <algorithm>
#include <csignal>
#include <thread>

namespace om6211::cli {
namespace {

volatile std::sig_atomic_t pendingSignal = 0;
volatile std::sig_atomic_t stopUnderWay = 0;

extern "C" void noteStopSignal(int signal) {
  if (stopUnderWay != 0) {
    // The second signal: end now, by the signal's own default action (the kernel releases the
    // port). It is blocked until this handler returns, and then delivered.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    std::raise(signal);
    return;
  }
  stopUnderWay = 1;
  pendingSignal = signal;
}

}  // namespace

void installStopHandlers() {
  pendingSignal = 0;
  stopUnderWay = 0;
  struct sigaction action {};
  action.sa_handler = noteStopSignal;
  // One handler at a time: a second signal is taken as the second only once the first one's
  // handler has noted it.
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  // No SA_RESTART: a prompt waiting for Enter returns at once and the tool stops.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() {
  return pendingSignal;
}

void stopIfAsked() {
  const int signal = pendingSignal;
  if (signal == 0) return;
  pendingSignal = 0;  // the request is answered by this stop
  const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
  throw RunStopped(std::string("stopped by ") + name + " after the call in progress", 128 + signal);
}

void waitOrStop(std::chrono::milliseconds duration) {
  constexpr std::chrono::milliseconds Slice{50};
  for (auto left = duration; left.count() > 0; left -= Slice) {
    stopIfAsked();
    std::this_thread::sleep_for(std::min(left, Slice));
  }
  stopIfAsked();
}

}  // namespace om6211::cli
