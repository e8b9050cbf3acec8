#pragma once

#include <cstdint>
#include <span>

#include "link/ControllerSequences.h"
#include "link/ControllerShadow.h"
#include "link/SerialLink.h"
#include "seams/Pauses.h"

namespace om6211 {

// What the controller's sequences need of the configuration.
struct ControllerSettings {
  int32_t busDelay = 0;      // delay count of every serial byte but the addressing commands
  int32_t addressDelay = 0;  // delay count of the addressing commands
  bool contrastOn = false;
  uint8_t contrastValue = 0;
};

// The picture shown once, on the first power-up after loading.
enum class StartupPicture : uint8_t {
  None,         // not the first power-up
  Splash,       // the built-in picture, which needs the whole display
  AllPixelsOn,  // every pixel lit, for a smaller configured display
};

// The display controller at the level of its command sequences: power-up with the one-time
// start-up picture, shut-down, contrast and the controller's RAM address.
class Controller {
 public:
  constexpr Controller(SerialLink& link, Pauses& pauses, ControllerSettings settings,
                       const ControllerShadow& shadow)
      : link_(&link), pauses_(&pauses), settings_(settings), shadow_(&shadow) {}

  // The reset pulse, then power-up with the picture, RAM cleared, display on.
  void Init(StartupPicture picture);
  // The reset pulse and power-up without a picture; the RAM is cleared only if asked, since a
  // caller about to write every byte of it need not.
  void powerUp(bool clearRam);
  // Only the reset pulse: the controller rests in its reset state, in step with the frames.
  void pulseReset();
  // Takes over a display as an earlier program left it: no reset pulse, no start-up picture, no
  // blank; the RAM is kept.
  void resume();
  void CleanUp();
  // Points the controller's RAM address at `pixelColumn` of `page`.
  void setAddress(int32_t page, int32_t pixelColumn);
  void ShowSplash();
  void sendContrast(bool contrastOn, uint8_t contrastValue);

  SerialLink& link() { return *link_; }
  // What is known of the controller, as the frames sent so far established it.
  const ControllerShadow& shadow() const { return *shadow_; }

 private:
  void play(std::span<const SequenceStep> steps, bool clearRam = true);
  void command(uint8_t value) { link_->SendCommand(value, settings_.busDelay); }

  SerialLink* link_;
  Pauses* pauses_;
  ControllerSettings settings_;
  const ControllerShadow* shadow_;
};

}  // namespace om6211
