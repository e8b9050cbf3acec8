#pragma once

#include <string_view>

#include "link/Controller.h"
#include "render/FrameMemory.h"
#include "render/RenderSettings.h"

namespace om6211 {

// The picture the glass should show: both layers combined byte by byte under `mixMode`.
FrameMemory::Layer combinedLayers(const FrameMemory& memory, std::string_view mixMode);

// Streams `frame` to the display: TextRows pages of GraphicsWidth bytes, each page preceded by
// its address; on a bus that allows shorter traffic, pages as wide as the controller's follow
// one address. Leaves the text cursor at (0, 0).
void RefreshDisplay(Controller& controller, RenderSettings& settings,
                    const FrameMemory::Layer& frame);

}  // namespace om6211
