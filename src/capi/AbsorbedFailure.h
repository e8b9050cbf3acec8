#pragma once

#include <optional>
#include <string>

namespace om6211::capi {

// The failure the driver absorbed during the calling thread's current call: the driver's
// failure report (a plain function) notes it, the call around it takes it.
void noteAbsorbedFailure(const char* message) noexcept;
// The noted failure, if any; clears it.
std::optional<std::string> takeAbsorbedFailure();

}  // namespace om6211::capi
