#pragma once

#include <string>
#include <string_view>

#include "seams/SettingsLookup.h"

namespace om6211 {

// Settings through the Windows profile API (GetPrivateProfileStringA), which defines the INI
// semantics the driver relies on.
class ProfileSettingsLookup final : public SettingsLookup {
 public:
  constexpr ProfileSettingsLookup() = default;

  std::string lookup(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view fallback) override;
};

}  // namespace om6211
