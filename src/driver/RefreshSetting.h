#pragma once

#include <string_view>

#include "render/RefreshPolicy.h"

namespace om6211 {

// The refresh policy the settings file asks for. "RefreshMode": "Changed" in any letter case
// selects sending only what changed, anything else the full refresh. "FullRefreshEvery": a
// decimal number of 0 or more; anything else keeps the default of 32.
RefreshPolicy refreshPolicyFromSettings(std::string_view mode, std::string_view fullRefreshEvery);

}  // namespace om6211
