#pragma once

#include <array>

#include "module/PinLevels.h"

namespace om6211 {

// The steps that bring the module's lines from any levels to rest without a clock edge the
// controller could take, for a back end opening its lines: reset asserted with the clock low,
// then the clock raised under reset, then reset released. The clock never rises in the step
// that changes data or reset.
constexpr std::array<module::PinLevels, 3> CleanStartSteps{
    module::PinLevels{.clock = false, .data = true, .resetReleased = false},
    module::PinLevels{.clock = true, .data = true, .resetReleased = false},
    module::PinLevels{},
};

}  // namespace om6211
