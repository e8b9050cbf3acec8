#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace om6211 {

// One port operation or pause, as a trace line records it.
struct PortOperation {
  enum class Kind : uint8_t { Out, In, Sleep };
  Kind kind;
  uint32_t number;  // the I/O port, or the pause in milliseconds
  uint8_t value;    // the byte written (Out only)

  friend bool operator==(const PortOperation&, const PortOperation&) = default;
};

// Longest trace line, newline included ("sleep 4294967295\n").
inline constexpr std::size_t MaxTraceLineLength = 17;

// Writes the trace line of `operation` with its newline to `out` (at least MaxTraceLineLength
// bytes) and returns its length: "out 378 0e", "in 220", "sleep 1000".
std::size_t formatTraceLine(const PortOperation& operation, char* out);

// Everything that reached the port and every pause, in order.
struct PortTrace {
  std::vector<PortOperation> operations;

  std::string text() const;
};

}  // namespace om6211
