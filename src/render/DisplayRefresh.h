#pragma once

#include "link/Controller.h"
#include "render/FrameMemory.h"

namespace om6211 {

// Streams the combination of both layers to the display: TextRows pages of GraphicsWidth
// bytes, each page preceded by its address. Leaves the text cursor at (0, 0).
void RefreshDisplay(Controller& controller, const FrameMemory& memory);

}  // namespace om6211
