#pragma once

#include <cstdint>
#include <string>

#include "module/Geometry.h"

namespace om6211 {

// What rendering reads and writes of the driver's settings: the geometry a refresh covers, the
// text cursor, the glyph variant and mixing as the settings file names them, and the delay
// counts of the bytes it sends. Every member has its load value from a constant expression.
struct RenderSettings {
  // Pixel rows per controller page and pages in use; fixed by the module.
  static constexpr int32_t PageHeight = module::PageRows;
  static constexpr int32_t PageCount = module::Pages;

  static constexpr int32_t MaxGraphicsWidth = module::Columns;
  static constexpr int32_t MaxGraphicsHeight = module::Rows;
  static constexpr int32_t MaxTextColumns = module::TextColumns;
  static constexpr int32_t MaxTextRows = module::TextRows;

  int32_t AddressDelay = 0;  // delay count of the addressing commands
  int32_t BusDelay = 0;      // delay count of every other serial byte
  int32_t GraphicsWidth = MaxGraphicsWidth;
  int32_t GraphicsHeight = MaxGraphicsHeight;
  int32_t TextColumns = MaxTextColumns;
  int32_t TextRows = MaxTextRows;
  int32_t CursorColumn = 0;  // may stand one past the last cell after it was written
  int32_t CursorRow = 0;
  std::string FontName;  // "TextFont" as read from the settings file
  std::string MixMode;   // "Text+GraphicsDisplayMode" as read from the settings file
};

}  // namespace om6211
