#pragma once

#include <string>
#include <string_view>

#include "seams/SettingsLookup.h"

namespace om6211 {

// No settings file: every key takes its default.
class NoSettings final : public SettingsLookup {
 public:
  constexpr NoSettings() = default;

  std::string lookup(const std::string&, std::string_view, std::string_view,
                     std::string_view fallback) override {
    return std::string(fallback);
  }
};

}  // namespace om6211
