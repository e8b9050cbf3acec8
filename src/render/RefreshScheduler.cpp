#include "render/RefreshScheduler.h"

#include "link/ControllerCommands.h"
#include "render/ChangedRefresh.h"
#include "render/DisplayRefresh.h"
#include "render/TextCursor.h"

namespace om6211 {

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

void RefreshScheduler::restore(Controller& controller, const RenderSettings& settings) {
  controller.link().SendCommand(inverted_ ? command::InvertedDisplay : command::NormalDisplay,
                                settings.BusDelay);
  const FrameMemory::Layer frame = shown_;
  // A refresh homes the text cursor; showing the picture again must leave the host's cursor
  // where the host put it, or its next characters land in the top left cell.
  RenderSettings unmoved = settings;
  refresh(controller, unmoved, frame);
}

void RefreshScheduler::setDisplayMode(Controller& controller, const RenderSettings& settings,
                                      bool inverted) {
  inverted_ = inverted;
  if (!fullRefreshDue(controller, settings) && controller.shadow().inverted() == inverted) return;
  controller.link().SendCommand(inverted ? command::InvertedDisplay : command::NormalDisplay,
                                settings.BusDelay);
}

}  // namespace om6211
