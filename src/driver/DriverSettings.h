#pragma once

#include <cstdint>
#include <string>

namespace om6211 {

// The driver's configuration, geometry, cursor and flags. Every member is initialised to its
// load value by a constant expression, so a static instance is ready before any code runs.
struct DriverSettings {
  // Pixel rows per controller page and pages in use; fixed by the module.
  static constexpr int32_t PageHeight = 8;
  static constexpr int32_t PageCount = 6;

  static constexpr int32_t MaxGraphicsWidth = 84;
  static constexpr int32_t MaxGraphicsHeight = 48;
  static constexpr int32_t MaxTextColumns = 14;
  static constexpr int32_t MaxTextRows = 6;

  uint32_t PortBase = 0x378;   // data register; the control register is PortBase + 2
  int32_t AddressDelay = 0;    // delay count of the addressing commands
  int32_t BusDelay = 0;        // delay count of every other serial byte
  uint32_t BacklightBits = 0;  // 0xF0 with the backlight on, added to every data-register byte
  int32_t GraphicsWidth = MaxGraphicsWidth;
  int32_t GraphicsHeight = MaxGraphicsHeight;
  int32_t TextColumns = MaxTextColumns;
  int32_t TextRows = MaxTextRows;
  int32_t CursorColumn = 0;  // may stand one past the last cell after it was written
  int32_t CursorRow = 0;
  bool ContrastOn = false;
  uint8_t ContrastValue = 0;
  std::string FontName;  // "TextFont" as read from the settings file
  std::string MixMode;   // "Text+GraphicsDisplayMode" as read from the settings file
  bool FirstInitPending = true;
};

}  // namespace om6211
