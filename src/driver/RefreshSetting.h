#pragma once

#include <string_view>

#include "render/RefreshPolicy.h"

namespace om6211 {

// The refresh policy the settings file asks for. "RefreshMode": "Changed" in any letter case
// selects sending only what changed, anything else the full refresh. "FullRefreshEvery": a
// decimal number from 0 to 4294967295; anything else keeps the default of 32.
RefreshPolicy refreshPolicyFromSettings(std::string_view mode, std::string_view fullRefreshEvery);

}  // namespace om6211
