// Makes the port fail at every single operation of a working session in turn, one failure per
// run, each run replaying the failing call from the state the session had reached. A failure
// inside a value bit must cost only the rest of that bit; any other failure ends the call
// having changed nothing the call does not own. The next call must work as ever, after
// bringing the controller back into step where the failure may have put it out, and by the end
// of the next call that sends anything the glass shows what it shows in the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "panel/VirtualPanel.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/FaultSession.h"
#include "reliability/TraceShape.h"

namespace om6211::reliability {
namespace {

using Operations = std::vector<PortOperation>;

// Where a call of the session starts, and what it does when nothing fails.
struct ReferenceCall {
  SessionCall call;
  Driver before;
  Operations operations;
  TraceShape shape;
  std::vector<std::size_t> portOperations;  // trace index of each port operation
  panel::VirtualPanel panelBefore;
  panel::VirtualPanel panelAfter;
  DriverSnapshot after;
};

void play(const PortOperation& operation, panel::VirtualPanel& panel) {
  if (operation.kind == PortOperation::Kind::Out) panel.write(operation.number, operation.value);
}
void play(const Operations& operations, panel::VirtualPanel& panel) {
  for (const PortOperation& operation : operations) play(operation, panel);
}

bool sendsAnything(const Operations& operations) {
  return std::any_of(operations.begin(), operations.end(), [](const PortOperation& operation) {
    return operation.kind == PortOperation::Kind::Out;
  });
}

bool sameGlass(const panel::VirtualPanel& a, const panel::VirtualPanel& b) {
  const panel::Glass x = a.glass();
  const panel::Glass y = b.glass();
  return x.dark == y.dark && x.backlight == y.backlight && x.darkness == y.darkness;
}

struct ReferenceSession {
  std::vector<ReferenceCall> calls;  // the session, then a probe call after its end
};

ReferenceSession record(std::vector<SessionCall> session) {
  session.push_back({EntryPoint::SetOutputAddress, "probe after the session",
                     [](Driver& driver) { driver.SetOutputAddress(1, 1); }});
  ReferenceSession reference;
  Driver state{Platform{}};
  panel::VirtualPanel panel;
  for (SessionCall& call : session) {
    DriverBench bench(state);
    call.call(bench.driver);
    ReferenceCall recorded{std::move(call), state, bench.trace.operations,          {}, {},
                           panel,           panel, DriverSnapshot::of(bench.driver)};
    play(recorded.operations, panel);
    recorded.panelAfter = panel;
    recorded.shape = analyseTrace(bench.trace, bench.driver.settings());
    for (std::size_t i = 0; i < recorded.operations.size(); ++i) {
      if (recorded.operations[i].kind != PortOperation::Kind::Sleep) {
        recorded.portOperations.push_back(i);
      }
    }
    reference.calls.push_back(std::move(recorded));
    state = bench.driver;
  }
  return reference;
}

// Until the failure a run is the reference run, so only what follows the failure is recorded:
// a port and pauses that fail port operation `failing` and record every operation after it
// into `afterFailure` (one buffer for every run: tens of thousands of operations each).
class FailOnceRecorder final : public PortIo, public Pauses {
 public:
  FailOnceRecorder(uint64_t failing, Operations& afterFailure)
      : afterFailure(afterFailure), failing_(failing) {
    afterFailure.clear();
  }

  void write(uint32_t port, uint8_t value) override {
    count();
    record({PortOperation::Kind::Out, port, value});
  }
  uint8_t read(uint32_t port) override {
    count();
    record({PortOperation::Kind::In, port, 0});
    return 0xFF;
  }
  void sleep(uint32_t milliseconds) override {
    record({PortOperation::Kind::Sleep, milliseconds, 0});
  }

  Operations& afterFailure;

 private:
  void count() {
    if (operations_++ == failing_) {
      failed_ = true;
      throw PortFailure("injected port failure");
    }
  }
  void record(const PortOperation& operation) {
    if (failed_) afterFailure.push_back(operation);
  }

  uint64_t failing_;
  uint64_t operations_ = 0;
  bool failed_ = false;
};

// The reference operations from `from` on.
bool isReferenceFrom(const Operations& actual, const Operations& reference, std::size_t from) {
  return actual.size() == reference.size() - from &&
         std::equal(actual.begin(), actual.end(),
                    reference.begin() + static_cast<std::ptrdiff_t>(from));
}

bool absorbsEverything(EntryPoint entryPoint) {
  return entryPoint == EntryPoint::SendToMemory || entryPoint == EntryPoint::SendToGfxMemory;
}

class FaultSweep {
 public:
  explicit FaultSweep(const ReferenceSession& reference) : reference_(reference) {}

  // Fails each port operation of call `index` in turn; returns how many faults were injected.
  uint64_t sweepCall(std::size_t index) {
    const ReferenceCall& call = reference_.calls[index];
    const std::size_t count = call.portOperations.size();
    // The module as it is when the failing operation comes: the session's operations before it.
    panel::VirtualPanel prefix = call.panelBefore;
    std::size_t played = 0;
    for (std::size_t failing = 0; failing < count && problems_ < MaxProblems; ++failing) {
      for (; played < call.portOperations[failing]; ++played) {
        play(call.operations[played], prefix);
      }
      runFailing(index, failing, prefix);
    }
    return count;
  }

 private:
  static constexpr int MaxProblems = 5;

  void problem(const ReferenceCall& call, std::size_t failing, const std::string& what) {
    ADD_FAILURE() << call.call.description << ", port operation " << failing
                  << " failing: " << what;
    ++problems_;
  }

  void runFailing(std::size_t index, std::size_t failing, const panel::VirtualPanel& prefix) {
    const ReferenceCall& call = reference_.calls[index];
    const ReferenceCall& next = reference_.calls[index + 1];
    FailOnceRecorder recorder(failing, recorded_.operations);
    testing::InMemorySettings settings;
    settings.present = true;
    settings.contents = SessionSettingsFile;
    testing::FixedHostFolder hostFolder;
    Driver driver(call.before);
    driver.usePlatform({&recorder, &recorder, &settings, &hostFolder});
    bool propagated = false;
    try {
      call.call.call(driver);
    } catch (const PortFailure&) {
      propagated = true;
    }

    const std::size_t failedAt = call.portOperations[failing];
    const OperationPlace place = call.shape.places[failedAt];
    const DriverSnapshot before = DriverSnapshot::of(call.before);
    const DriverSnapshot after = DriverSnapshot::of(driver);
    if (place.role == OperationRole::ValueBit) {
      // The guarded bit: the rest of it is skipped, the frame and the call go on.
      if (propagated) return problem(call, failing, "a value-bit failure left the call");
      if (!isReferenceFrom(recorder.afterFailure, call.operations, place.bitEnd)) {
        return problem(call, failing, "trace is not the reference without the rest of the bit");
      }
      if (!sameState(after, DriverSnapshot::of(next.before))) {
        return problem(call, failing, "a value-bit failure changed the outcome of the call");
      }
    } else {
      if (propagated == absorbsEverything(call.call.entryPoint)) {
        return problem(call, failing,
                       propagated ? "output call let the failure out"
                                  : "failure outside a value bit was dropped");
      }
      if (!recorder.afterFailure.empty()) {
        return problem(call, failing, "the call went on after an unguarded failure");
      }
      if (auto change = forbiddenChange(call.call.entryPoint, before, after); !change.empty()) {
        return problem(call, failing, change);
      }
    }
    if (auto broken = brokenInvariant(after); !broken.empty()) {
      return problem(call, failing, "invariant broken: " + broken);
    }
    // What reached the module: the session's operations up to the failed one, then the rest.
    panel::VirtualPanel panel = prefix;
    play(recorder.afterFailure, panel);
    recorder.afterFailure.clear();
    checkNextCalls(driver, recorder, panel, index, failing,
                   sameState(after, DriverSnapshot::of(next.before)));
  }

  // The calls after a failure work: complete frames, and the very traffic of the session
  // whenever the failure left the state as the session had it, after a resync where one was
  // due. By the end of the first of them that sends anything, the glass is the session's, and
  // so is the state when the failure had left it so: a resync restores what the host sees and
  // moves nothing the host set, its cursor included.
  void checkNextCalls(Driver& driver, FailOnceRecorder& recorder, panel::VirtualPanel& panel,
                      std::size_t index, std::size_t failing, bool stateAsInSession) {
    const ReferenceCall& call = reference_.calls[index];
    bool firstCall = true;
    for (std::size_t at = index + 1; at < reference_.calls.size(); ++at) {
      const ReferenceCall& next = reference_.calls[at];
      const bool resyncDue = driver.resyncDue();
      try {
        next.call.call(driver);
      } catch (const std::exception& failure) {
        return problem(call, failing, "the next call failed: " + std::string(failure.what()));
      }
      const Operations& recorded = recorder.afterFailure;
      if (auto shape = frameProblem(recorded_, driver.settings()); !shape.empty()) {
        return problem(call, failing, "next call: " + shape);
      }
      if (firstCall && stateAsInSession && !sentAsInSession(recorded, next.operations, resyncDue)) {
        return problem(call, failing, "the next call sent other traffic than in the session");
      }
      play(recorded, panel);
      recorder.afterFailure.clear();
      firstCall = false;  // only the first call after the failure is held to its traffic
      if (!sendsAnything(next.operations)) continue;
      if (!sameGlass(panel, next.panelAfter)) {
        problem(call, failing,
                "the glass after " + next.call.description + " is not the session's");
      } else if (stateAsInSession && !sameState(DriverSnapshot::of(driver), next.after)) {
        problem(call, failing,
                "the state after " + next.call.description + " is not the session's");
      }
      return;
    }
  }

  // The session's traffic, preceded by bringing the controller back into step (which starts
  // with a reset pulse) when that was due and the call sends anything.
  static bool sentAsInSession(const Operations& recorded, const Operations& session,
                              bool resyncDue) {
    if (recorded == session) return true;  // nothing sent, or an initialisation, itself a resync
    if (!resyncDue || recorded.size() < session.size() ||
        !std::equal(session.begin(), session.end(), recorded.end() - session.size())) {
      return false;
    }
    return recorded.front() == PortOperation{PortOperation::Kind::Out, 0x378, 0x0C};
  }

  const ReferenceSession& reference_;
  PortTrace recorded_;
  int problems_ = 0;
};

struct Phase {
  const char* name;
  EntryPoint first;  // the phase runs from the first call of this entry point ...
  EntryPoint last;   // ... to the first call of this one after it
};

// Names the phase in test listings; printed as bytes, its padding would read as uninitialised.
void PrintTo(const Phase& phase, std::ostream* out) {
  *out << phase.name;
}

void sweepPhase(const std::vector<SessionCall>& session, const Phase& phase) {
  const ReferenceSession reference = record(session);
  for (const ReferenceCall& call : reference.calls) {
    ASSERT_EQ(call.shape.problem, "") << call.call.description;
  }
  FaultSweep sweep(reference);
  uint64_t faults = 0;
  std::size_t index = 0;
  while (reference.calls[index].call.entryPoint != phase.first) ++index;
  for (;; ++index) {
    faults += sweep.sweepCall(index);
    if (reference.calls[index].call.entryPoint == phase.last) break;
  }
  std::cout << "[ faults   ] " << phase.name << ": " << faults << " port failures injected\n";
  ::testing::Test::RecordProperty("faults_injected", std::to_string(faults));
}

class WorkingSessionFaults : public ::testing::TestWithParam<Phase> {};

TEST_P(WorkingSessionFaults, EveryOperationFailingInTurnCostsOnlyWhatItMay) {
  sweepPhase(workingSession(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Phases, WorkingSessionFaults,
    ::testing::Values(Phase{"Configure", EntryPoint::SetIOPropertys, EntryPoint::SetIOPropertys},
                      Phase{"Init", EntryPoint::Init, EntryPoint::Init},
                      Phase{"TextAndGraphic", EntryPoint::SetOutputAddress,
                            EntryPoint::SendToGfxMemory},
                      Phase{"CleanUp", EntryPoint::CleanUp, EntryPoint::CleanUp}),
    [](const ::testing::TestParamInfo<Phase>& info) { return std::string(info.param.name); });

// The first initialisation of the full display, which shows the start-up picture.
TEST(FullDisplayFaults, FirstInitWithStartUpPicture) {
  sweepPhase(fullDisplaySession(), {"FirstInit", EntryPoint::Init, EntryPoint::Init});
}

}  // namespace
}  // namespace om6211::reliability
