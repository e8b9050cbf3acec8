#pragma once

#include <concepts>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "seams/Troubleshooting.h"

namespace om6211 {

// The codes one remedy answers: errno values, or a library's error codes.
class RemedyCodes {
 public:
  template <std::same_as<int>... Code>
  constexpr RemedyCodes(Code... codes)  // NOLINT(google-explicit-constructor): rows list bare codes
      : codes_{codes...}, count_(sizeof...(codes)) {
    static_assert(sizeof...(codes) <= Most);
  }

  constexpr bool contains(int code) const {
    for (std::size_t i = 0; i < count_; ++i) {
      if (codes_[i] == code) return true;
    }
    return false;
  }

 private:
  static constexpr std::size_t Most = 4;
  int codes_[Most] = {};
  std::size_t count_;
};

// What a call that failed while opening a device means, and how the user puts it right: one
// row of a back end's table.
struct Remedy {
  std::string_view call;     // "open", "PPCLAIM", "ftdi_usb_open_string"
  RemedyCodes codes;         // what the call failed with
  std::string_view problem;  // "permission denied"
  std::string_view fix;      // what to do, in whole sentences
  std::string_view anchor;   // its section of the troubleshooting page, "permission-gpio"
  // For a library's codes: the errno value that says the same to a program (0 for errno rows,
  // whose code is one).
  int error = 0;
  // Whether the message lists what the back end found (the devices there are) before the fix.
  bool showsFindings = false;
};

// The row of `table` for `call` failing with `code`; none when the table has no row for it.
const Remedy* remedyFor(std::span<const Remedy> table, std::string_view call, int code);

// The message of `call` failing with `detail` (the system's or the library's words) while
// opening `target`: "TARGET: PROBLEM (CALL: DETAIL). FIX See PAGE#ANCHOR.", the findings
// before the fix where the remedy shows them; "TARGET: cannot be opened (CALL: DETAIL)." without a
// remedy.
std::string openFailureMessage(std::string_view target, std::string_view call,
                               std::string_view detail, const Remedy* remedy,
                               std::string_view findings = {});

}  // namespace om6211
