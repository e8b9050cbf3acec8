#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/ftdi/FtdiPins.h"
#include "seams/LineCheck.h"

namespace om6211 {

// The module's inputs an FTDI adapter has wired, for the wiring check, each with its ADBUS
// line: clock, data, reset, then backlight and chip select where wired.
struct FtdiWiredLine {
  LineCheck::Line line;
  int adbus;
};

inline std::vector<FtdiWiredLine> ftdiWiredLines(const FtdiPins& pins, const std::string& adapter) {
  const std::pair<LineCheck::Signal, int> signals[] = {{LineCheck::Clock, pins.clock},
                                                       {LineCheck::Data, pins.data},
                                                       {LineCheck::Reset, pins.reset},
                                                       {LineCheck::Backlight, pins.backlight},
                                                       {LineCheck::ChipSelect, pins.chipSelect}};
  std::vector<FtdiWiredLine> wired;
  for (const auto& [signal, line] : signals) {
    if (line == FtdiPins::Unwired) continue;
    wired.push_back(
        {{signal.signal, "ADBUS" + std::to_string(line) + " of " + adapter, signal.module}, line});
  }
  return wired;
}

// The pin-state byte that drives the `index`-th wired line high and every other low.
inline uint8_t ftdiCheckByte(const FtdiPins& pins, const std::string& adapter,
                             std::optional<std::size_t> index) {
  if (!index) return 0;
  return static_cast<uint8_t>(1u << ftdiWiredLines(pins, adapter).at(*index).adbus);
}

inline std::vector<LineCheck::Line> linesOf(const std::vector<FtdiWiredLine>& wired) {
  std::vector<LineCheck::Line> lines;
  for (const FtdiWiredLine& each : wired) lines.push_back(each.line);
  return lines;
}

}  // namespace om6211
