#pragma once

#include <cstdint>

namespace om6211::module {

// The glass: 84 pixel columns by 48 rows, held by the controller as six pages of eight rows,
// one RAM byte per column and page (bit 0 the top row of the page).
inline constexpr int32_t Columns = 84;
inline constexpr int32_t Rows = 48;
inline constexpr int32_t PageRows = 8;
inline constexpr int32_t Pages = Rows / PageRows;
inline constexpr int32_t RamBytes = Columns * Pages;

// The text grid the driver draws on it: 14 cells of 6 columns across, one page tall each.
inline constexpr int32_t CellColumns = 6;
inline constexpr int32_t TextColumns = Columns / CellColumns;
inline constexpr int32_t TextRows = Pages;

}  // namespace om6211::module
