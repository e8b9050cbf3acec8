#include "render/RefreshScheduler.h"

#include "link/ControllerCommands.h"
#include "render/ChangedRefresh.h"
#include "render/DisplayRefresh.h"

namespace om6211 {

void RefreshScheduler::setPolicy(const RefreshPolicy& policy) {
  policy_ = policy;
  changedSinceFull_ = 0;
}

bool RefreshScheduler::fullRefreshDue(const Controller& controller) const {
  if (policy_.mode == RefreshMode::Full) return true;
  const DriverSettings& settings = controller.settings();
  if (!controller.shadow().knowsRegion(settings.TextRows, settings.GraphicsWidth)) return true;
  return policy_.fullRefreshEvery != 0 && changedSinceFull_ + 1 >= policy_.fullRefreshEvery;
}

void RefreshScheduler::refresh(Controller& controller, const FrameMemory::Layer& frame) {
  if (fullRefreshDue(controller)) {
    changedSinceFull_ = 0;
    RefreshDisplay(controller, frame);
  } else {
    ++changedSinceFull_;
    RefreshChanged(controller, frame);
  }
}

void RefreshScheduler::setDisplayMode(Controller& controller, bool inverted) const {
  if (!fullRefreshDue(controller) && controller.shadow().inverted() == inverted) return;
  controller.link().SendCommand(inverted ? command::InvertedDisplay : command::NormalDisplay,
                                controller.settings().BusDelay);
}

}  // namespace om6211
