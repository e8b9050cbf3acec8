#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "capi/CountingBus.h"
#include "capi/DisplayPort.h"
#include "driver/Driver.h"
#include "module/Geometry.h"
#include "ports/portable/NoHostFolder.h"
#include "ports/portable/NoSettings.h"
#include "render/FrameMemory.h"

namespace om6211::capi {

// How a display is opened (the C options, checked).
struct DisplaySettings {
  uint8_t contrast = 128;
  bool backlight = false;
  bool fullRefresh = false;
  bool keep = false;
  int32_t busDelay = 0;
  const char* trace = nullptr;
};

// One open display: its port, its own driver and the mutex that serialises the calls on it.
// Every operation raises what went wrong, a failure the driver absorbed included, and writes
// out the trace before it returns.
class Display {
 public:
  // Opens the port and powers the display up, or continues it with `keep`.
  Display(std::string_view portText, const DisplaySettings& settings);
  // Releases the port; the picture stays on the glass.
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  std::mutex& mutex() { return mutex_; }

  void show(const FrameMemory::Layer& picture);
  void setContrast(uint8_t level);
  void setBacklight(bool on);
  void setInverted(bool inverted);
  void setPower(bool on);
  // The virtual panel's glass as page bytes (page * 84 + column, bit 0 the top pixel, 1
  // dark); none on other ports.
  std::optional<std::array<uint8_t, module::RamBytes>> glassPages() const;
  uint64_t framesSent() const { return countingBus_.frames(); }

 private:
  // Raises the failure the driver absorbed during the call, if any, then writes out the trace.
  void finishCall();

  std::unique_ptr<DisplayPort> port_;
  CountingBus countingBus_;
  NoSettings noSettings_;
  NoHostFolder noHostFolder_;
  Driver driver_;
  std::mutex mutex_;
};

}  // namespace om6211::capi
