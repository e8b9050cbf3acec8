#pragma once

#include <cstdint>

#include "link/Controller.h"
#include "module/Geometry.h"
#include "render/FrameMemory.h"
#include "render/RefreshScheduler.h"
#include "render/RenderSettings.h"

namespace om6211 {

// Size of the host bitmap: one byte per pixel, a non-zero byte lit, rows GraphicsWidth apart.
inline constexpr std::size_t HostBitmapBytes = module::Columns * module::Rows;

// Packs the rectangle (x1, y1)-(x2, y2) of the host bitmap into the graphics layer, widened to
// whole pages, then sets the normal or inverted display mode and refreshes the display, both
// through `scheduler`. Columns past 83 and pages past 5 are not packed.
// A null bitmap changes and sends nothing.
void SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2,
                     bool inverted, Controller& controller, RenderSettings& settings,
                     FrameMemory& memory, RefreshScheduler& scheduler);

}  // namespace om6211
