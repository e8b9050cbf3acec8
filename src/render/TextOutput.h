#pragma once

#include <array>
#include <cstdint>

#include "link/Controller.h"
#include "render/FrameMemory.h"
#include "render/RefreshScheduler.h"
#include "render/RenderSettings.h"

namespace om6211 {

// Draws the glyph of `code` into the text cell at the cursor and advances the cursor; once the
// last cell of the last row is written, refreshes the display through `scheduler`. Characters
// past the end of a row are dropped: the cursor never wraps by itself.
void SendToMemory(uint8_t code, Controller& controller, RenderSettings& settings,
                  FrameMemory& memory, RefreshScheduler& scheduler);

// The custom glyph argument block: byte 0 the glyph index, then 8 columns of 8 row flags.
using CustomGlyphBlock = std::array<uint8_t, 68>;

// Packs columns 0-5 of the block's pattern into custom glyph n; indexes above 30 are ignored.
void SetCGRAMChar(const CustomGlyphBlock& block, FrameMemory& memory);

}  // namespace om6211
