#pragma once

#include <cstdint>

#include "link/Controller.h"
#include "render/RenderSettings.h"
#include "render/TextCell.h"

namespace om6211 {

// The text cursor lives in the driver's settings and only ever moves onto a cell of the
// configured grid; a cell off the grid leaves it, and the controller's address, where they are.
constexpr bool onTextGrid(const RenderSettings& settings, int32_t column, int32_t row) {
  return column >= 0 && row >= 0 && column <= settings.TextColumns - 1 &&
         row <= settings.TextRows - 1;
}

// Moves only the cursor, sending nothing.
inline void placeCursor(int32_t column, int32_t row, RenderSettings& settings) {
  if (!onTextGrid(settings, column, row)) return;
  settings.CursorColumn = column;
  settings.CursorRow = row;
}

// Points the controller's address at the cell, then moves the cursor there.
inline void SetOutputAddress(int32_t column, int32_t row, Controller& controller,
                             RenderSettings& settings) {
  if (!onTextGrid(settings, column, row)) return;
  controller.setAddress(row, column * TextCellWidth);
  settings.CursorColumn = column;
  settings.CursorRow = row;
}

}  // namespace om6211
