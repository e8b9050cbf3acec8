#pragma once

#include <array>
#include <cstdint>

#include "panel/Glass.h"
#include "panel/PanelObserver.h"

namespace om6211::panel {

// The display controller as it takes 9-bit frames: display RAM of 6 pages x 84 columns with
// page and column addressing, and the display modes that decide what the glass shows.
class PanelController {
 public:
  static constexpr int Columns = 84;
  static constexpr int Pages = 6;

  // The state after power-up or reset: display off, normal mode, address 0. RAM is kept.
  void reset();

  void receive(bool isData, uint8_t value) {
    if (observer_ != nullptr) observer_->onFrame(isData, value);
    if (isData) {
      writeData(value);
    } else {
      command(value);
    }
  }

  void observe(PanelObserver* observer) { observer_ = observer; }

  Glass glass(bool backlight) const;

  // Display RAM: byte page * Columns + column, bit 0 the top pixel of the page.
  const std::array<uint8_t, Columns * Pages>& ram() const { return ram_; }
  int page() const { return page_; }
  int column() const { return column_; }
  bool displayOn() const { return displayOn_; }
  bool allPixelsOn() const { return allPixelsOn_; }
  bool inverted() const { return inverted_; }
  int startLine() const { return startLine_; }
  uint8_t contrastRange() const { return contrastRange_; }
  uint8_t contrastLevel() const { return contrastLevel_; }
  uint8_t powerControl() const { return powerControl_; }
  uint8_t supplySetting() const { return supplySetting_; }

  // How often each command byte the controller does not know has arrived.
  const std::array<uint64_t, 256>& unknownCommands() const { return unknownCommands_; }
  uint64_t unknownCommandCount() const;

 private:
  void writeData(uint8_t value) {
    if (column_ >= Columns) advancePage();
    ram_[static_cast<std::size_t>(page_ * Columns + column_)] = value;
    if (++column_ == Columns) {
      if (page_ == Pages - 1 && observer_ != nullptr) observer_->onScreenWritten();
      advancePage();
    }
  }
  void advancePage() {
    column_ = 0;
    page_ = page_ == Pages - 1 ? 0 : page_ + 1;
  }
  void command(uint8_t value);

  std::array<uint8_t, Columns * Pages> ram_{};
  int page_ = 0;
  int column_ = 0;
  bool displayOn_ = false;
  bool allPixelsOn_ = false;
  bool inverted_ = false;
  int startLine_ = 0;
  uint8_t contrastRange_ = 0;
  uint8_t contrastLevel_ = 0;
  uint8_t powerControl_ = 0;
  uint8_t supplySetting_ = 0;
  std::array<uint64_t, 256> unknownCommands_{};
  PanelObserver* observer_ = nullptr;
};

}  // namespace om6211::panel
