#pragma once

#include <cstdint>
#include <vector>

#include "host/PortTrace.h"

namespace om6211::testing {

// One 9-bit frame as the controller would take it.
struct Frame {
  bool isData;
  uint8_t value;

  friend bool operator==(const Frame&, const Frame&) = default;
};

inline Frame cmd(uint8_t value) {
  return {false, value};
}
inline Frame data(uint8_t value) {
  return {true, value};
}

// Decodes the control-register writes of a trace into frames: a write of 2 or 3 opens a bit
// (1 or 0) and nine bits make a frame. Reads and pauses are skipped; a data-register write
// discards an unfinished frame.
inline std::vector<Frame> decodeFrames(const PortTrace& trace, uint32_t portBase = 0x378) {
  std::vector<Frame> frames;
  int bits = 0;
  uint16_t shift = 0;
  for (const PortOperation& op : trace.operations) {
    if (op.kind != PortOperation::Kind::Out) continue;
    if (op.number == portBase) {
      bits = 0;
      shift = 0;
    } else if (op.number == portBase + 2 && (op.value == 2 || op.value == 3)) {
      shift = static_cast<uint16_t>(shift << 1 | (op.value == 2 ? 1 : 0));
      if (++bits == 9) {
        frames.push_back({(shift & 0x100) != 0, static_cast<uint8_t>(shift)});
        bits = 0;
        shift = 0;
      }
    }
  }
  return frames;
}

inline std::vector<Frame> commandsOf(const std::vector<Frame>& frames) {
  std::vector<Frame> result;
  for (const Frame& frame : frames) {
    if (!frame.isData) result.push_back(frame);
  }
  return result;
}

}  // namespace om6211::testing
