#pragma once

#include <cstdint>

#include "driver/DriverSettings.h"
#include "link/Controller.h"
#include "render/FrameMemory.h"
#include "render/RefreshPolicy.h"

namespace om6211 {

// Chooses, refresh by refresh, between the full refresh and sending only what changed, as the
// policy asks and as far as the controller's shadow allows.
class RefreshScheduler {
 public:
  const RefreshPolicy& policy() const { return policy_; }
  // Takes effect with the next refresh; a new policy starts its count of refreshes afresh.
  void setPolicy(const RefreshPolicy& policy);

  // Shows `frame` (layer layout) on the display.
  void refresh(Controller& controller, DriverSettings& settings, const FrameMemory::Layer& frame);
  // Sets the normal or inverted display mode ahead of a refresh. In the full mode the command
  // always goes out; otherwise only when the controller may hold the other mode, or when the
  // coming refresh is a full one, so that the whole update is then the full mode's.
  void setDisplayMode(Controller& controller, const DriverSettings& settings, bool inverted) const;

 private:
  bool fullRefreshDue(const Controller& controller, const DriverSettings& settings) const;

  RefreshPolicy policy_;
  uint32_t changedSinceFull_ = 0;
};

}  // namespace om6211
