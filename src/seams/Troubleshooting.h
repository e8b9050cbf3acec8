#pragma once

#include <string>
#include <string_view>

namespace om6211 {

// The page with one section per remedy that messages name, where the package installs it.
inline constexpr std::string_view TroubleshootingPage = "/usr/share/doc/om6211/troubleshooting.md";

// The sentence that names the section `anchor` of the troubleshooting page:
// " See PAGE#ANCHOR."; none on Windows, whose package carries no documentation.
inline std::string troubleshootingReference([[maybe_unused]] std::string_view anchor) {
#if defined(_WIN32)
  return {};
#else
  return " See " + std::string(TroubleshootingPage) + "#" + std::string(anchor) + ".";
#endif
}

}  // namespace om6211
