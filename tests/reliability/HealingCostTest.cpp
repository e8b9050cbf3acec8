// The call that heals a display after a lost clock edge, judged by what it sends and by the
// glass: exactly a reset pulse, the initialisation without the start-up picture (the RAM
// cleared only when the picture does not cover all of it), the display mode and one full
// picture; the contrast last set comes back, and bytes a shifted frame left outside the
// configured region are gone.
#include <gtest/gtest.h>

#include <random>

#include "host/Tee.h"
#include "link/ControllerSequences.h"
#include "link/ParallelPortBus.h"
#include "panel/VirtualPanel.h"
#include "support/DriverRig.h"
#include "support/QuietPlatform.h"

namespace om6211::testing {
namespace {

constexpr std::size_t RamBytes = 504;

// Frames of the initialisation without the start-up picture, from its sequence.
std::size_t powerUpFrames(bool clearsRam) {
  using Kind = SequenceStep::Kind;
  std::size_t frames = 0;
  for (const SequenceStep& step : sequence::PowerUp) {
    if (step.kind == Kind::Command) frames += 1;
    if (step.kind == Kind::ContrastPair) frames += 2;
    if (step.kind == Kind::ClearRam && clearsRam) frames += RamBytes;
  }
  return frames;
}

struct Geometry {
  int32_t rows;
  int32_t width;
};

// The driver of a rig: its port records, and tees what went through to a panel.
struct Rig {
  PortTrace trace;
  RecordingPort recording{trace};
  panel::VirtualPanel panel;
  Tee<PortIo> port{recording, panel};
  SilentPauses pauses;
  NoSettings settings;
  FixedHostFolder folder;
  Driver driver{Platform{&port, &pauses, &settings, &folder}};

  void start(const Geometry& geometry, RefreshMode mode) {
    driver.SetIOPropertys("378", {.textColumns = 14,
                                  .textRows = geometry.rows,
                                  .graphicsWidth = geometry.width,
                                  .graphicsHeight = 48,
                                  .contrastOn = true,
                                  .contrastValue = 0x80});
    driver.setRefreshPolicy({mode, 0});
    driver.Init();
    driver.setContrast(0xB0);
  }
  std::size_t framesOf(const std::function<void()>& call) {
    trace.operations.clear();
    call();
    return decodeFrames(trace).size();
  }
};

TEST(Healing, CostsResetInitialisationModeAndOnePicture) {
  const Geometry geometries[] = {{6, 84}, {6, 60}, {4, 84}};
  for (const Geometry& geometry : geometries) {
    for (const RefreshMode mode : {RefreshMode::Full, RefreshMode::Changed}) {
      SCOPED_TRACE(std::to_string(geometry.rows) + " rows x " + std::to_string(geometry.width) +
                   (mode == RefreshMode::Full ? ", full refresh" : ", changed refresh"));
      std::mt19937 rng(static_cast<uint32_t>(geometry.rows * 100 + geometry.width));
      FrameMemory::Layer picture{};
      for (uint8_t& byte : picture) byte = static_cast<uint8_t>(rng());
      Rig rig;
      Rig reference;
      rig.start(geometry, mode);
      reference.start(geometry, mode);
      rig.driver.showFrame(picture);
      reference.driver.showFrame(picture);
      // Bytes a frame read shifted wrote anywhere, outside the region too.
      ParallelPortBus stray;
      stray.bind(rig.panel, 0x378);
      for (const uint8_t command : {0xB5, 0x14, 0x06}) stray.sendFrame(false, command, 0);
      for (int i = 0; i < 12; ++i) stray.sendFrame(true, 0xFF, 0);
      // The next picture loses a clock edge in its first frame.
      picture[7] ^= 0x3C;
      rig.recording.failAt({rig.recording.operationCount() + 10});
      rig.driver.showFrame(picture);
      ASSERT_EQ(rig.recording.failureCount(), 1u);
      reference.driver.showFrame(picture);

      Rig fullRefresh;
      fullRefresh.start(geometry, RefreshMode::Full);
      const std::size_t pictureFrames =
          fullRefresh.framesOf([&] { fullRefresh.driver.showFrame(picture); });
      const bool wholeRam = geometry.rows == 6 && geometry.width == 84;
      const std::size_t frames = rig.framesOf([&] { rig.driver.showFrame(picture); });
      EXPECT_EQ(frames, powerUpFrames(!wholeRam) + 1 + pictureFrames);
      const panel::Glass glass = rig.panel.glass();
      const panel::Glass expected = reference.panel.glass();
      EXPECT_TRUE(glass.dark == expected.dark && glass.darkness == expected.darkness);
      EXPECT_EQ(rig.panel.pendingBits(), 0);
    }
  }
}

}  // namespace
}  // namespace om6211::testing
