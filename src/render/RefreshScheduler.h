#pragma once

#include <cstdint>

#include "link/Controller.h"
#include "render/FrameMemory.h"
#include "render/RefreshPolicy.h"
#include "render/RenderSettings.h"

namespace om6211 {

// Chooses, refresh by refresh, between the full refresh and sending only what changed, as the
// policy asks and as far as the controller's shadow allows.
class RefreshScheduler {
 public:
  const RefreshPolicy& policy() const { return policy_; }
  // Takes effect with the next refresh; a new policy starts its count of refreshes afresh.
  void setPolicy(const RefreshPolicy& policy);

  // Shows `frame` (layer layout) on the display.
  void refresh(Controller& controller, RenderSettings& settings, const FrameMemory::Layer& frame);
  // The display was just powered up: RAM blank, normal mode.
  void noteBlankDisplay();
  // Shows again what the display should show after a power-up that lost it: the display mode
  // the host last asked for and the picture of the latest refresh. The text cursor stays.
  void restore(Controller& controller, const RenderSettings& settings);
  // Moves the text cursor to the cell. The full mode also points the controller's address at the
  // cell, as the host interface does; sending only what changed, each refresh sets its own
  // address, so nothing is sent.
  void moveCursor(int32_t column, int32_t row, Controller& controller,
                  RenderSettings& settings) const;
  // Sets the normal or inverted display mode ahead of a refresh. In the full mode the command
  // always goes out; otherwise only when the controller may hold the other mode, or when the
  // coming refresh is a full one, so that the whole update is then the full mode's.
  void setDisplayMode(Controller& controller, const RenderSettings& settings, bool inverted);

 private:
  bool fullRefreshDue(const Controller& controller, const RenderSettings& settings) const;

  RefreshPolicy policy_;
  uint32_t changedSinceFull_ = 0;
  // What the glass should show: the frame of the latest refresh, in the mode last asked for.
  FrameMemory::Layer shown_{};
  bool inverted_ = false;
};

}  // namespace om6211
