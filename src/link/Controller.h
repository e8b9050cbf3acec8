#pragma once

#include <cstdint>
#include <span>

#include "driver/DriverSettings.h"
#include "link/ControllerSequences.h"
#include "link/ControllerShadow.h"
#include "link/SerialLink.h"
#include "platform/Pauses.h"

namespace om6211 {

// The display controller at the level of its command sequences: power-up with the one-time
// start-up picture, shut-down, and moving the text cursor with the controller's address.
class Controller {
 public:
  constexpr Controller(SerialLink& link, Pauses& pauses, DriverSettings& settings,
                       const ControllerShadow& shadow)
      : link_(&link), pauses_(&pauses), settings_(&settings), shadow_(&shadow) {}

  void Init();
  void CleanUp();
  // Moves the cursor to text cell (column, row); a cell off the grid is ignored.
  void SetOutputAddress(int32_t column, int32_t row);
  // Moves only the cursor, sending nothing; a cell off the grid is ignored.
  void placeCursor(int32_t column, int32_t row);
  void ShowSplash();
  void sendContrast(bool contrastOn, uint8_t contrastValue);

  SerialLink& link() { return *link_; }
  DriverSettings& settings() { return *settings_; }
  const DriverSettings& settings() const { return *settings_; }
  // What is known of the controller, as the frames sent so far established it.
  const ControllerShadow& shadow() const { return *shadow_; }

 private:
  void play(std::span<const SequenceStep> steps);
  void command(uint8_t value) { link_->SendCommand(value, settings_->BusDelay); }
  bool onGrid(int32_t column, int32_t row) const;

  SerialLink* link_;
  Pauses* pauses_;
  DriverSettings* settings_;
  const ControllerShadow* shadow_;
};

}  // namespace om6211
