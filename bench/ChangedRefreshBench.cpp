// What a host update costs on the wire, full refresh against sending only what changed, for
// typical workloads; and the driver's own CPU time per port operation on a port that does
// nothing. Counters per host update: frames, port writes, the fewest frames possible (found by
// the search the tests use) and frames / fewest.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

#include "HostWorkloads.h"
#include "driver/Driver.h"
#include "panel/VirtualPanel.h"
#include "support/QuietPlatform.h"
#include "support/RefreshFloor.h"

namespace {

using namespace om6211;
using namespace om6211::bench;

// Follows the controller's address through the frames the panel takes.
class AddressWatch final : public panel::PanelObserver {
 public:
  void onFrame(bool isData, uint8_t value) override {
    ++frames;
    tracker.onFrame(isData, value);
  }
  void onScreenWritten() override {}

  testing::AddressTracker tracker;
  uint64_t frames = 0;
};

// A configured, initialised driver on a virtual panel in the given mode. Re-syncs only when
// the controller's contents are unknown, so that every update shows its own cost.
struct Bench {
  explicit Bench(RefreshMode mode) {
    panel.controller().observe(&watch);
    startDriver(driver, mode);
  }

  panel::VirtualPanel panel;
  AddressWatch watch;
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver{Platform{&panel, &pauses, &settings, &folder}};
};

// Runs `update(bench, n)` once per iteration for update n, after `warmUp` updates that set
// the scene, and reports its cost per update.
template <typename Update>
void measure(benchmark::State& state, RefreshMode mode, Update update, int warmUp = 1) {
  Bench bench(mode);
  uint64_t n = 0;
  for (; n < static_cast<uint64_t>(warmUp); ++n) update(bench, n);
  uint64_t frames = 0;
  uint64_t writes = 0;
  uint64_t floor = 0;
  for (auto _ : state) {
    const auto ram = bench.panel.controller().ram();
    const testing::RamAddress address = bench.watch.tracker.address;
    const uint64_t framesBefore = bench.watch.frames;
    const uint64_t writesBefore = bench.panel.operationCount();
    update(bench, n++);
    frames += bench.watch.frames - framesBefore;
    writes += bench.panel.operationCount() - writesBefore;
    floor += static_cast<uint64_t>(
        testing::refreshFloor(ram, bench.panel.controller().ram(), 6, 84, address));
  }
  const auto perUpdate = [&](uint64_t total) {
    return static_cast<double>(total) / static_cast<double>(state.iterations());
  };
  state.counters["frames"] = perUpdate(frames);
  state.counters["writes"] = perUpdate(writes);
  state.counters["floor"] = perUpdate(floor);
  state.counters["frames/floor"] =
      frames == floor ? 1.0 : static_cast<double>(frames) / static_cast<double>(floor);
}

void idleScreen(Bench& bench, uint64_t) {
  writeScreen(bench.driver, StatusScreen);
}

void oneCell(Bench& bench, uint64_t n) {
  bench::oneCell(bench.driver, n);
}

void clock(Bench& bench, uint64_t n) {
  const uint64_t seconds = 12 * 3600 + n;
  char time[15];
  std::snprintf(time, sizeof time, "   %02u:%02u:%02u   ", unsigned(seconds / 3600 % 24),
                unsigned(seconds / 60 % 60), unsigned(seconds % 60));
  auto rows = StatusScreen;
  rows[2] = time;
  writeScreen(bench.driver, rows);
}

// An 8-pixel bar at rows 20-27 that grows by one pixel column per update, then shrinks back.
void barGraph(Bench& bench, uint64_t n) {
  static std::array<uint8_t, 84 * 48> bitmap{};
  const uint64_t phase = n % 168;
  const uint16_t column = static_cast<uint16_t>(phase < 84 ? phase : 167 - phase);
  for (int row = 20; row < 28; ++row) bitmap[column + row * 84] = phase < 84 ? 1 : 0;
  bench.driver.SendToGfxMemory(bitmap.data(), column, 20, column, 27, false);
}

void animation(Bench& bench, uint64_t n) {
  fullRefresh(bench.driver, n);
}

template <void (*Update)(Bench&, uint64_t)>
void BM_Update(benchmark::State& state) {
  measure(state, state.range(0) == 0 ? RefreshMode::Full : RefreshMode::Changed, Update);
}
#define WORKLOAD(update) BENCHMARK_TEMPLATE(BM_Update, update)->ArgName("changed")->Arg(0)->Arg(1)
WORKLOAD(idleScreen);
WORKLOAD(oneCell);
WORKLOAD(clock);
WORKLOAD(barGraph);
WORKLOAD(animation);
#undef WORKLOAD

// A port that does nothing: what is left is the driver's own work.
class NullPort final : public PortIo {
 public:
  void write(uint32_t, uint8_t) override { ++operations; }
  uint8_t read(uint32_t) override {
    ++operations;
    return 0xFF;
  }
  uint64_t operations = 0;
};

void BM_FullRefreshCpuPerPortOperation(benchmark::State& state) {
  NullPort port;
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver(Platform{&port, &pauses, &settings, &folder});
  driver.SetIOPropertys("378", {.backlight = true});
  FrameMemory::Layer picture;
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 37);
  const uint64_t before = port.operations;
  for (auto _ : state) {
    driver.showFrame(picture);
    benchmark::ClobberMemory();
  }
  const auto operations = static_cast<double>(port.operations - before);
  state.counters["ops/refresh"] = operations / static_cast<double>(state.iterations());
  // Seconds per operation, scaled so that the figure reads as nanoseconds.
  state.counters["ns/op"] = benchmark::Counter(
      operations * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullRefreshCpuPerPortOperation);

}  // namespace

BENCHMARK_MAIN();
