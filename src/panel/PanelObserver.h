#pragma once

#include <cstdint>

namespace om6211::panel {

// Told what the controller takes in, for listings and picture sequences.
class PanelObserver {
 public:
  // A complete 9-bit frame, command or display data.
  virtual void onFrame(bool isData, uint8_t value) = 0;
  // A data byte landed in the last column of the last page: a whole screen has been written.
  virtual void onScreenWritten() = 0;

 protected:
  PanelObserver() = default;
  PanelObserver(const PanelObserver&) = default;
  PanelObserver& operator=(const PanelObserver&) = default;
  ~PanelObserver() = default;
};

}  // namespace om6211::panel
