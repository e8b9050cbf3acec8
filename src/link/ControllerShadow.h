#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "module/Geometry.h"

namespace om6211 {

// What the driver knows the display controller holds, since it can never read it back: the
// display RAM byte by byte, the RAM address the next data byte goes to, and the normal or
// inverted display mode. It follows every frame the serial link sends and knows only what
// those frames establish for certain; anything it cannot be sure of is unknown.
class ControllerShadow {
 public:
  static constexpr int Columns = module::Columns;
  static constexpr int Pages = module::Pages;
  // A page or column the driver does not know, or a page past the last one (where the
  // address stands after a data byte in the last column of the last page).
  static constexpr int Unknown = -1;

  void onCommand(uint8_t value);
  void onData(uint8_t value);
  // The controller may hold anything: after a reset, a power-down, a reconfiguration or a
  // frame that may not have arrived whole.
  void forget() { *this = ControllerShadow{}; }

  // The byte at (page, column) when known.
  std::optional<uint8_t> byteAt(int page, int column) const {
    const int index = page * Columns + column;
    if (!known_[static_cast<std::size_t>(index)]) return std::nullopt;
    return ram_[static_cast<std::size_t>(index)];
  }
  // Whether every byte of the top `pages` pages, columns 0 to `columns` - 1, is known.
  bool knowsRegion(int pages, int columns) const;

  int page() const { return page_; }
  int column() const {
    return columnHigh_ == Unknown || columnLow_ == Unknown ? Unknown
                                                           : columnHigh_ * 16 + columnLow_;
  }
  std::optional<bool> inverted() const { return inverted_; }

 private:
  std::array<uint8_t, Columns * Pages> ram_{};
  std::array<bool, Columns * Pages> known_{};
  int page_ = Unknown;
  int columnHigh_ = Unknown;
  int columnLow_ = Unknown;
  std::optional<bool> inverted_;
};

}  // namespace om6211
