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

// Moves the cursor to the cell, then points the controller's address at it. The cursor moves
// even when the address cannot be sent: the host's next characters belong in that cell, and
// each refresh sets its own address.
inline void SetOutputAddress(int32_t column, int32_t row, Controller& controller,
                             RenderSettings& settings) {
  if (!onTextGrid(settings, column, row)) return;
  settings.CursorColumn = column;
  settings.CursorRow = row;
  controller.setAddress(row, column * TextCellWidth);
}

}  // namespace om6211
