#include "panel/PanelController.h"

#include <algorithm>
#include <numeric>

namespace om6211::panel {
namespace {

// Contrast as the eye sees it: the range command (0x20-0x27) and the level (0x80-0x9F) make
// one drive value; even the weakest drive leaves dark pixels faintly visible.
double darknessFor(uint8_t range, uint8_t level) {
  const double drive = range * 32 + level;
  constexpr double FullDrive = 2 * 32 + 31;  // range 2 at its top level: fully black
  return 0.35 + 0.65 * std::min(1.0, drive / FullDrive);
}

}  // namespace

void PanelController::reset() {
  page_ = 0;
  column_ = 0;
  displayOn_ = false;
  allPixelsOn_ = false;
  inverted_ = false;
  startLine_ = 0;
  contrastRange_ = 0;
  contrastLevel_ = 0;
  powerControl_ = 0;
  supplySetting_ = 0;
}

void PanelController::command(uint8_t value) {
  switch (value >> 4) {
    case 0x0:
      column_ = (column_ & 0xF0) | value;
      return;
    case 0x1:
      column_ = (value & 0x0F) << 4 | (column_ & 0x0F);
      return;
    case 0x2:
      if (value < 0x28) {
        contrastRange_ = value & 0x07;
      } else {
        powerControl_ = value & 0x07;
      }
      return;
    case 0x3:
      supplySetting_ = value & 0x0F;
      return;
    case 0x4:
    case 0x5:
    case 0x6:
    case 0x7:
      startLine_ = value & 0x3F;
      return;
    case 0x8:
    case 0x9:
      contrastLevel_ = value & 0x1F;
      return;
    case 0xB:
      if ((value & 0x0F) < Pages) {
        page_ = value & 0x0F;
        return;
      }
      break;
    default:
      break;
  }
  switch (value) {
    case 0xA4:
    case 0xA5:
      allPixelsOn_ = value == 0xA5;
      return;
    case 0xA6:
    case 0xA7:
      inverted_ = value == 0xA7;
      return;
    case 0xAE:
    case 0xAF:
      displayOn_ = value == 0xAF;
      return;
    case 0xE2:
      reset();
      return;
    default:
      ++unknownCommands_[value];
  }
}

uint64_t PanelController::unknownCommandCount() const {
  return std::accumulate(unknownCommands_.begin(), unknownCommands_.end(), uint64_t{0});
}

Glass PanelController::glass(bool backlight) const {
  Glass glass;
  glass.backlight = backlight;
  glass.darkness = darknessFor(contrastRange_, contrastLevel_);
  if (!displayOn_) return glass;
  for (int y = 0; y < Glass::Height; ++y) {
    // The start line is the RAM row shown at the top of the glass.
    const int row = (y + startLine_) % Glass::Height;
    for (int x = 0; x < Glass::Width; ++x) {
      const uint8_t pageByte = ram_[static_cast<std::size_t>(row / 8 * Columns + x)];
      const bool set = ((pageByte >> (row % 8)) & 1) != 0;
      glass.dark[static_cast<std::size_t>(x + y * Glass::Width)] = allPixelsOn_ || set != inverted_;
    }
  }
  return glass;
}

}  // namespace om6211::panel
