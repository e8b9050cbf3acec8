#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/PortTrace.h"

namespace om6211::cli {

// What one line of a port trace holds.
struct TraceLine {
  enum class Kind : uint8_t { Operation, Annotation, Blank, Malformed };
  Kind kind = Kind::Blank;
  PortOperation operation{};  // Kind::Operation only
  const char* problem = "";   // Kind::Malformed only: what is wrong with the line
};

// Reads one line without its line end: "out 378 0e", "in 220", "sleep 1000", "# note".
// Hexadecimal is accepted in either case and with leading zeros.
TraceLine parseTraceLine(std::string_view line);

struct TraceError {
  std::size_t line = 0;
  std::string message;
};

// Hands every operation of a whole trace to `consume` in order, skipping annotations and
// blank lines; stops at the first malformed line and names it.
std::optional<TraceError> readTrace(std::string_view text,
                                    const std::function<void(const PortOperation&)>& consume);

}  // namespace om6211::cli
