#include "driver/RefreshSetting.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

namespace om6211 {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

RefreshPolicy refreshPolicyFromSettings(std::string_view mode, std::string_view fullRefreshEvery) {
  RefreshPolicy policy;
  if (equalIgnoringCase(mode, "Changed")) policy.mode = RefreshMode::Changed;
  const bool digitsOnly =
      !fullRefreshEvery.empty() &&
      std::ranges::all_of(fullRefreshEvery, [](char c) { return c >= '0' && c <= '9'; });
  uint32_t every = 0;
  const char* end = fullRefreshEvery.data() + fullRefreshEvery.size();
  // A number too large for 32 bits is not a number this key takes: the default stays.
  const auto [stop, error] = std::from_chars(fullRefreshEvery.data(), end, every);
  if (digitsOnly && error == std::errc() && stop == end) policy.fullRefreshEvery = every;
  return policy;
}

}  // namespace om6211
