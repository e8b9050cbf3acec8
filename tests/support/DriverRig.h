#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "ports/portable/IniFileLookup.h"
#include "support/FrameDecoder.h"
#include "support/RecordingPauses.h"
#include "support/RecordingPort.h"

namespace om6211::testing {

// A settings file held in memory; `present` false behaves like a missing file.
class InMemorySettings final : public SettingsLookup {
 public:
  std::string lookup(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view fallback) override {
    filesAsked.push_back(file);
    if (!present || file.empty()) return std::string(fallback);
    return lookupIniText(contents, section, key, fallback);
  }

  bool present = false;
  std::string contents;
  std::vector<std::string> filesAsked;
};

class FixedHostFolder final : public HostFolder {
 public:
  std::string path() override { return folder; }
  std::string folder = "/opt/host/";
};

// A fresh driver on a recording port, recorded pauses and an in-memory settings file.
struct DriverRig {
  PortTrace trace;
  RecordingPort port{trace};
  RecordingPauses pauses{trace};
  InMemorySettings settings;
  FixedHostFolder hostFolder;
  Driver driver{Platform{&port, &pauses, &settings, &hostFolder}};

  std::vector<Frame> frames() const { return decodeFrames(trace); }
  void clearTrace() { trace.operations.clear(); }

  // Configures with the default geometry and the given delays, backlight and contrast.
  void configure(int32_t addressDelay = 0, int32_t busDelay = 0, bool backlight = false) {
    driver.SetIOPropertys(
        "378", {.addressDelay = addressDelay, .busDelay = busDelay, .backlight = backlight});
  }
};

}  // namespace om6211::testing
