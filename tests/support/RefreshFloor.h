#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace om6211::testing {

// The controller's RAM address as the frames sent so far set it. A page or column of -1 is
// unknown; page 6 is where a data byte in the last column of the last page leaves it.
struct RamAddress {
  int page = -1;
  int column = -1;

  friend bool operator==(const RamAddress&, const RamAddress&) = default;
};

// Follows the address through the frames a controller takes.
struct AddressTracker {
  RamAddress address;
  int columnHigh = -1;
  int columnLow = -1;

  void onFrame(bool isData, uint8_t value) {
    if (isData) {
      if (address.page < 0 || address.page > 5 || address.column < 0) {
        *this = {};
      } else if (address.column == 83) {
        setAddress({address.page + 1, 0});
      } else {
        setAddress({address.page, address.column + 1});
      }
    } else if (value >> 4 == 0x0 || value >> 4 == 0x1) {
      (value >> 4 == 0 ? columnLow : columnHigh) = value & 0x0F;
      address.column = columnHigh < 0 || columnLow < 0 ? -1 : columnHigh * 16 + columnLow;
    } else if (value >= 0xB0 && value <= 0xB5) {
      address.page = value - 0xB0;
    } else if (value == 0xE2) {
      *this = {};
    }
  }
  void setAddress(RamAddress to) {
    address = to;
    columnHigh = to.column / 16;
    columnLow = to.column % 16;
  }
};

// The fewest frames that make a controller whose RAM holds `ram`, with its address at
// `start`, hold `target` in the top `pages` pages, columns 0 to `columns` - 1 (both in the
// controller's layout, page * 84 + column), sending the differing bytes in the order of a full
// refresh. Between two of them the cheapest way is searched among everything the controller
// can be told: a page command (1 frame), both column commands (2 frames), resending the byte
// at the address when it lies in that region (1 frame). Telling it the page and the column
// always arrives in 3 frames, so only routes of up to 2 frames are searched.
inline int refreshFloor(std::span<const uint8_t> ram, std::span<const uint8_t> target, int pages,
                        int columns, RamAddress start) {
  auto inRegion = [&](RamAddress a) {
    return a.page >= 0 && a.page < pages && a.column >= 0 && a.column < columns;
  };
  auto next = [](RamAddress a) {
    return a.column == 83 ? RamAddress{a.page + 1, 0} : RamAddress{a.page, a.column + 1};
  };
  auto distance = [&](RamAddress from, RamAddress to) {
    int best = 3;
    std::vector<std::pair<RamAddress, int>> open{{from, 0}};
    for (std::size_t i = 0; i < open.size(); ++i) {
      const auto [at, cost] = open[i];
      if (at == to && cost < best) best = cost;
      auto reach = [&](RamAddress a, int frames) {
        if (cost + frames <= 2) open.push_back({a, cost + frames});
      };
      for (int page = 0; page < 6; ++page) reach({page, at.column}, 1);
      for (int column = 0; column < 84; ++column) reach({at.page, column}, 2);
      if (inRegion(at)) reach(next(at), 1);
    }
    return best;
  };
  int frames = 0;
  RamAddress at = start;
  for (int page = 0; page < pages; ++page) {
    for (int column = 0; column < columns; ++column) {
      const std::size_t index = static_cast<std::size_t>(page * 84 + column);
      if (ram[index] == target[index]) continue;
      frames += distance(at, {page, column}) + 1;
      at = next({page, column});
    }
  }
  return frames;
}

}  // namespace om6211::testing
