#pragma once

#include <array>
#include <cstdint>

#include "module/Geometry.h"

namespace om6211 {

// The start-up picture shown once per load: 84 x 48 pixels in stream order (page 0 columns
// 0-83, then page 1 and so on), bit 0 the top pixel of each page byte.
extern const std::array<uint8_t, module::RamBytes> SplashImage;

}  // namespace om6211
