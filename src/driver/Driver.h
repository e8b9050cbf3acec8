#pragma once

#include <cstdint>
#include <string>

#include "driver/DriverInfo.h"
#include "driver/DriverSettings.h"
#include "driver/IoProperties.h"
#include "link/Controller.h"
#include "link/ControllerShadow.h"
#include "link/SerialLink.h"
#include "platform/Platform.h"
#include "render/FrameMemory.h"
#include "render/RefreshPolicy.h"
#include "render/RefreshScheduler.h"
#include "render/TextOutput.h"

namespace om6211 {

// The whole driver: its state, its frame memory and the platform it drives. Each operation is
// one entry point of the host interface with its arguments already decoded from their slots.
class Driver {
 public:
  constexpr explicit Driver(const Platform& platform) : platform_(platform) {}

  // Rebinds the platform (the command-line host picks its port back end); state is kept.
  void usePlatform(const Platform& platform) { platform_ = platform; }

  static DriverInfoBytes GetInfo() { return makeDriverInfo(); }

  // Raises ConversionError, having changed nothing, when the port text does not convert or is
  // missing. A port failure while sending the contrast reaches the caller. Also sets the
  // refresh policy the settings file asks for (the full refresh without it).
  void SetIOPropertys(const char* portText, const IoProperties& properties);
  void Init();
  void CleanUp();
  // Moves the text cursor; see RefreshScheduler::moveCursor for what is sent.
  void SetOutputAddress(int32_t column, int32_t row);
  // Receives the message of a failure that an output operation absorbed, for diagnostics.
  using FailureReport = void (*)(const char* message) noexcept;

  // The two output operations absorb every failure and always return normally; the message of
  // the failure goes to `report` when one is given.
  void SendToMemory(uint8_t code, FailureReport report = nullptr) noexcept;
  void SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2,
                       bool inverted, FailureReport report = nullptr) noexcept;
  void SetCGRAMChar(const CustomGlyphBlock& block);
  // Shows `picture` (layer layout) as the whole frame, leaving both layers as they are: for
  // faces that compose their own frames. Absorbs every failure, like the output operations.
  void showFrame(const FrameMemory::Layer& picture, FailureReport report = nullptr) noexcept;
  // Switches the backlight at once: the data register is written with the new backlight bits.
  void setBacklight(bool on);
  // Sends `contrastValue` with the contrast switched on, and keeps it for the next init.
  void setContrast(uint8_t contrastValue);

  // How every refresh (a completed text screen, a graphics upload, showFrame) reaches the
  // display. The configuration call replaces it with the settings file's choice, so a face
  // that sets its own does so after configuring.
  void setRefreshPolicy(const RefreshPolicy& policy) { scheduler_.setPolicy(policy); }
  const RefreshPolicy& refreshPolicy() const { return scheduler_.policy(); }
  // What the driver knows the controller holds.
  const ControllerShadow& shadow() const { return shadow_; }

  const DriverSettings& settings() const { return settings_; }
  const FrameMemory& frameMemory() const { return memory_; }
  // Where the settings file is looked up: below the host's folder; empty (no file) when the
  // host's folder is unknown.
  std::string settingsFilePath() const;

 private:
  // Runs `work` with the controller bound to the current platform and state. A failure that
  // leaves it makes the controller's contents unknown.
  template <typename Work>
  void withController(Work&& work) {
    SerialLink link(*platform_.port,
                    {settings_.PortBase, static_cast<uint8_t>(settings_.BacklightBits)}, &shadow_);
    Controller controller(
        link, *platform_.pauses,
        {settings_.BusDelay, settings_.AddressDelay, settings_.ContrastOn, settings_.ContrastValue},
        shadow_);
    try {
      work(controller);
    } catch (...) {
      shadow_.forget();
      throw;
    }
  }

  Platform platform_;
  DriverSettings settings_;
  FrameMemory memory_;
  ControllerShadow shadow_;
  RefreshScheduler scheduler_;
};

}  // namespace om6211
