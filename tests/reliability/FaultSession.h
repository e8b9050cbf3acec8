#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "reliability/EntryPointEffects.h"
#include "render/GraphicsUpload.h"
#include "support/DriverRig.h"

namespace om6211::reliability {

// One host call of a session, made on whichever driver it is given.
struct SessionCall {
  EntryPoint entryPoint;
  std::string description;
  std::function<void(Driver&)> call;
};

// The character a session writes into cell (column, row) of a grid `columns` wide.
uint8_t sessionCharacter(int32_t column, int32_t row, int32_t columns);
// The host bitmap a session uploads: vertical stripes, three pixels lit out of seven.
std::array<uint8_t, HostBitmapBytes> sessionBitmap();

// Every how many port operations the fault sweeps fail one: 1 (all of them) unless
// OM6211_FAULT_SWEEP_STRIDE asks for a slice, as the run under valgrind does.
uint64_t faultSweepStride();

// A short working session of a host with a 48 x 32 pixel window and an 8 x 4 text grid:
// configure, initialise, write a screen of text, upload a graphic, clean up. The addressing
// delay is 1, so that failing delay reads are part of it; the bus delay is 0.
std::vector<SessionCall> workingSession();

// The same session on the full 84 x 48 display, whose first initialisation shows the
// start-up picture.
std::vector<SessionCall> fullDisplaySession();

// The settings file of the sessions: Cyrillic glyphs, planes combined by OR.
inline constexpr const char* SessionSettingsFile =
    "[init]\nTextFont=Cyrillic\nText+GraphicsDisplayMode=OR\n";

// A driver of its own on fresh recording back ends, started from a copy of another driver's
// state, so that a call can be replayed from any point of a session.
struct DriverBench {
  explicit DriverBench(const Driver& state) : driver(state) {
    settings.present = true;
    settings.contents = SessionSettingsFile;
    driver.usePlatform({&port, &pauses, &settings, &hostFolder});
  }

  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  testing::InMemorySettings settings;
  testing::FixedHostFolder hostFolder;
  Driver driver;
};

}  // namespace om6211::reliability
