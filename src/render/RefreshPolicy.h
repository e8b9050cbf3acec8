#pragma once

#include <cstdint>

namespace om6211 {

// How a picture reaches the display. Full sends the whole refreshed region every time;
// Changed sends only the bytes that differ from what the controller is known to hold, and
// falls back to the full refresh whenever that is not known and every `fullRefreshEvery`-th
// time (0: only when not known), so that a display that lost its picture heals.
enum class RefreshMode { Full, Changed };

struct RefreshPolicy {
  RefreshMode mode = RefreshMode::Full;
  uint32_t fullRefreshEvery = 32;

  friend bool operator==(const RefreshPolicy&, const RefreshPolicy&) = default;
};

}  // namespace om6211
