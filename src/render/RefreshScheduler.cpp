#include "render/RefreshScheduler.h"

#include <utility>

#include "module/ControllerCommands.h"
#include "render/ChangedRefresh.h"
#include "render/DisplayRefresh.h"
#include "render/TextCursor.h"

namespace om6211 {
namespace {

// Runs `undo` however the scope is left, a port failure included.
template <typename Undo>
class OnExit {
 public:
  explicit OnExit(Undo undo) : undo_(std::move(undo)) {}
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;
  ~OnExit() { undo_(); }

 private:
  Undo undo_;
};

}  // namespace

void RefreshScheduler::setPolicy(const RefreshPolicy& policy) {
  policy_ = policy;
  changedSinceFull_ = 0;
}

bool RefreshScheduler::fullRefreshDue(const Controller& controller,
                                      const RenderSettings& settings) const {
  if (policy_.mode == RefreshMode::Full) return true;
  if (!controller.shadow().knowsRegion(settings.TextRows, settings.GraphicsWidth)) return true;
  return policy_.fullRefreshEvery != 0 && changedSinceFull_ + 1 >= policy_.fullRefreshEvery;
}

void RefreshScheduler::refresh(Controller& controller, RenderSettings& settings,
                               const FrameMemory::Layer& frame) {
  shown_ = frame;
  if (fullRefreshDue(controller, settings)) {
    changedSinceFull_ = 0;
    fullRefreshUnderWay_ = true;
    const OnExit done([&] { fullRefreshUnderWay_ = false; });
    RefreshDisplay(controller, settings, frame);
  } else {
    ++changedSinceFull_;
    refreshChanged(controller, settings, frame);
  }
}

void RefreshScheduler::moveCursor(int32_t column, int32_t row, Controller& controller,
                                  RenderSettings& settings) const {
  if (policy_.mode == RefreshMode::Changed) {
    placeCursor(column, row, settings);
  } else {
    SetOutputAddress(column, row, controller, settings);
  }
}

void RefreshScheduler::noteBlankDisplay() {
  shown_.fill(0);
  inverted_ = false;
}

void RefreshScheduler::restore(Controller& controller, RenderSettings& settings) {
  controller.link().SendCommand(inverted_ ? command::InvertedDisplay : command::NormalDisplay,
                                settings.BusDelay);
  if (fullRefreshUnderWay_) return;
  // A refresh leaves the cursor at (0, 0); this one is no host's, so the host's cursor stays,
  // also when a port failure ends the refresh early.
  const int32_t column = settings.CursorColumn;
  const int32_t row = settings.CursorRow;
  const OnExit keepCursor([&] {
    settings.CursorColumn = column;
    settings.CursorRow = row;
  });
  const FrameMemory::Layer frame = shown_;
  refresh(controller, settings, frame);
}

void RefreshScheduler::setDisplayMode(Controller& controller, const RenderSettings& settings,
                                      bool inverted) {
  inverted_ = inverted;
  if (!fullRefreshDue(controller, settings) && controller.shadow().inverted() == inverted) return;
  controller.link().SendCommand(inverted ? command::InvertedDisplay : command::NormalDisplay,
                                settings.BusDelay);
}

}  // namespace om6211
