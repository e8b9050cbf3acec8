#pragma once

#include "link/Controller.h"
#include "render/FrameMemory.h"
#include "render/RenderSettings.h"

namespace om6211 {

// Sends the bytes of `frame` within the refreshed region (TextRows pages of GraphicsWidth
// columns) that differ from what the controller's shadow holds, in the order of the full
// refresh, with the fewest frames: each byte costs one data frame, reaching it from where the
// controller's address stands costs a page command if the page differs and both column
// commands if the column differs, and resending unchanged bytes of the region is taken where
// that is cheaper. Leaves the text cursor at (0, 0) as the full refresh does. Every byte of the
// region must be known to the shadow.
void refreshChanged(Controller& controller, RenderSettings& settings,
                    const FrameMemory::Layer& frame);

}  // namespace om6211
