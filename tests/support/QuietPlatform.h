#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/HostFolder.h"
#include "platform/Pauses.h"
#include "platform/SettingsLookup.h"

namespace om6211 {

// Pauses that pass at once: the glass, not the time, is what these programs look at.
class SilentPauses final : public Pauses {
 public:
  void sleep(uint32_t) override {}
};

// No settings file: every key takes its default.
class NoSettings final : public SettingsLookup {
 public:
  std::string lookup(const std::string&, std::string_view, std::string_view,
                     std::string_view fallback) override {
    return std::string(fallback);
  }
};

// A host whose folder is unknown.
class NoFolder final : public HostFolder {
 public:
  std::string path() override { return {}; }
};

}  // namespace om6211
