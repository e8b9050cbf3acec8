#pragma once

#include <cstdint>
#include <string>

#include "driver/DriverInfo.h"
#include "driver/DriverSettings.h"
#include "driver/IoProperties.h"
#include "link/Controller.h"
#include "link/ControllerShadow.h"
#include "link/ParallelPortBus.h"
#include "link/SerialLink.h"
#include "render/FrameMemory.h"
#include "render/RefreshPolicy.h"
#include "render/RefreshScheduler.h"
#include "render/TextOutput.h"
#include "seams/Platform.h"

namespace om6211 {

// The whole driver: its state, its frame memory and the platform it drives. Each operation is
// one entry point of the host interface with its arguments already decoded from their slots.
//
// A controller that may no longer hold what the driver sent it (a frame lost clock edges, or a
// failure cut a call short) is brought back into step before the next frame goes out, by the
// next call that sends anything: a reset pulse; then, if the display is meant to be on, the
// initialisation commands (no start-up picture), the display mode and the latest picture.
class Driver {
 public:
  // Receives the message of a failure that a call absorbed, for diagnostics.
  using FailureReport = void (*)(const char* message) noexcept;

  // Failures that calls absorb go to `report`, when given: the output operations' and those
  // absorbed inside a frame.
  constexpr explicit Driver(const Platform& platform, FailureReport report = nullptr)
      : platform_(platform), report_(report) {}

  // Rebinds the platform (the command-line host picks its port back end); state is kept.
  void usePlatform(const Platform& platform) { platform_ = platform; }

  // The section of the settings file the driver reads.
  static constexpr const char* SettingsSection = "init";

  static DriverInfoBytes GetInfo() { return makeDriverInfo(); }

  // Raises ConversionError, having changed nothing, when the port text does not convert or is
  // missing. A port failure while sending the contrast reaches the caller. Also sets the
  // refresh policy the settings file asks for (the full refresh without it).
  void SetIOPropertys(const char* portText, const IoProperties& properties);
  void Init();
  // Instead of Init: continues what an earlier program left on the display, without the reset
  // pulse, the start-up picture or the blank. What the controller holds is unknown, so the
  // first picture is sent whole.
  void continueDisplay();
  void CleanUp();
  // Moves the text cursor; see RefreshScheduler::moveCursor for what is sent.
  void SetOutputAddress(int32_t column, int32_t row);
  // The two output operations absorb every failure and always return normally.
  void SendToMemory(uint8_t code) noexcept;
  void SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2,
                       bool inverted) noexcept;
  void SetCGRAMChar(const CustomGlyphBlock& block);
  // Shows `picture` (layer layout) as the whole frame, leaving both layers as they are: for
  // faces that compose their own frames. Absorbs every failure, like the output operations.
  void showFrame(const FrameMemory::Layer& picture) noexcept;
  // Switches the backlight at once: the data register is written with the new backlight bits.
  void setBacklight(bool on);
  // Sends `contrastValue` with the contrast switched on, and keeps it for the next init.
  void setContrast(uint8_t contrastValue);
  // The normal or inverted display mode, at once; kept through a resync.
  void setInverted(bool inverted);
  // Switches the glass off or on, the picture kept in the controller; kept through a resync.
  void setGlassOn(bool on);

  // How every refresh (a completed text screen, a graphics upload, showFrame) reaches the
  // display. The configuration call replaces it with the settings file's choice, so a face
  // that sets its own does so after configuring.
  void setRefreshPolicy(const RefreshPolicy& policy) { scheduler_.setPolicy(policy); }
  const RefreshPolicy& refreshPolicy() const { return scheduler_.policy(); }
  // What the driver knows the controller holds.
  const ControllerShadow& shadow() const { return shadow_; }
  // Whether the next frame sent is preceded by bringing the controller back into step.
  bool resyncDue() const { return resyncDue_ || !boundBus().inStep(); }

  const DriverSettings& settings() const { return settings_; }
  const FrameMemory& frameMemory() const { return memory_; }
  // Where the settings file is looked up: below the host's folder; empty (no file) when the
  // host's folder is unknown.
  std::string settingsFilePath() const;

 private:
  // The bus the frames go out on: the platform's own, or the parallel port its port stands for.
  Bus& boundBus();
  const Bus& boundBus() const {
    return platform_.bus != nullptr ? *platform_.bus : static_cast<const Bus&>(portBus_);
  }

  // Runs `work` with the controller bound to the current platform and state. A failure that
  // leaves it makes the controller's contents unknown and brings it back into step before the
  // next frame; a failure absorbed inside a frame is reported.
  template <typename Work>
  void withController(Work&& work) {
    Bus& bus = boundBus();
    const uint64_t absorbedBefore = bus.absorbedFailures().count();
    SerialLink link(bus, {.backlightOn = settings_.BacklightBits != 0}, &shadow_);
    Controller controller(
        link, *platform_.pauses,
        {settings_.BusDelay, settings_.AddressDelay, settings_.ContrastOn, settings_.ContrastValue},
        shadow_);
    link.beforeFirstFrame([&] {
      if (resyncDue()) bringIntoStep(controller);
    });
    try {
      work(controller);
      link.flush();
    } catch (...) {
      shadow_.forget();
      resyncDue_ = true;
      reportAbsorbed(bus, absorbedBefore);
      throw;
    }
    reportAbsorbed(bus, absorbedBefore);
  }
  void bringIntoStep(Controller& controller);
  void reportAbsorbed(const Bus& bus, uint64_t absorbedBefore) const noexcept;
  // Runs an output operation, handing the message of any failure to the report instead of the
  // caller: a failed character, refresh or upload is dropped and the host is never told.
  template <typename Work>
  void absorbingFailures(Work&& work) noexcept;

  Platform platform_;
  FailureReport report_;
  ParallelPortBus portBus_;
  DriverSettings settings_;
  FrameMemory memory_;
  ControllerShadow shadow_;
  RefreshScheduler scheduler_;
  bool displayOn_ = false;  // initialised and not cleaned up since: what a resync restores
  bool resyncDue_ = false;
  bool glassOn_ = true;  // the display switched on, as the last setGlassOn left it
};

}  // namespace om6211
