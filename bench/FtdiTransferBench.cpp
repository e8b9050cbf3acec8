// What a host update costs on the USB of an FTDI adapter, in synchronous bit-bang and in MPSSE
// mode: libftdi writes, USB transfers (at libftdi's transfer size of 4096 bytes) and bytes per
// update, counted on a fake adapter. A USB round trip takes 1 ms or more, so the transfers are
// what bounds an update's time.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "HostWorkloads.h"
#include "driver/Driver.h"
#include "host/Reconnector.h"
#include "ports/ftdi/FtdiConnection.h"
#include "support/FakeFtdi.h"
#include "support/QuietPlatform.h"

namespace {

using namespace om6211;
using namespace om6211::bench;

struct Bench {
  Bench(FtdiConfig::Mode mode, RefreshMode refresh) {
    connection = openFtdi(FtdiConfig{.mode = mode}, 0x378, fake);
    driver.usePlatform({connection.port.get(), &pauses, &settings, &folder, connection.bus.get()});
    startDriver(driver, refresh);
  }

  testing::FakeFtdi fake;
  FtdiConnection connection;
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver{Platform{}};
};

template <void (*Update)(Driver&, uint64_t), RefreshMode Refresh>
void BM_Usb(benchmark::State& state) {
  const auto mode = state.range(0) == 0 ? FtdiConfig::Mode::Bitbang : FtdiConfig::Mode::Mpsse;
  Bench bench(mode, Refresh);
  uint64_t n = 0;
  Update(bench.driver, n++);  // sets the scene
  const uint64_t transfers = bench.fake.transfers;
  const uint64_t writes = bench.fake.writes;
  const uint64_t bytes = bench.fake.bytes;
  for (auto _ : state) Update(bench.driver, n++);
  const auto perUpdate = [&](uint64_t total) {
    return static_cast<double>(total) / static_cast<double>(state.iterations());
  };
  state.counters["transfers"] = perUpdate(bench.fake.transfers - transfers);
  state.counters["writes"] = perUpdate(bench.fake.writes - writes);
  state.counters["bytes"] = perUpdate(bench.fake.bytes - bytes);
}
#define WORKLOAD(update, refresh) \
  BENCHMARK_TEMPLATE(BM_Usb, update, RefreshMode::refresh)->ArgName("mpsse")->Arg(0)->Arg(1)
WORKLOAD(fullRefresh, Full);
WORKLOAD(oneCell, Changed);
WORKLOAD(cpuScreen, Changed);
WORKLOAD(cpuScreen, Full);
#undef WORKLOAD

// An adapter pulled out under an LCDd-like face (a picture flushed every 125 ms of a clock of the
// benchmark's own): the time is what one flush costs while the adapter is away, reopening
// attempts included; the counters are the attempts per second while away and the seconds from
// plugging it in again to the right glass.
void BM_AdapterAway(benchmark::State& state) {
  const auto mode = state.range(0) == 0 ? FtdiConfig::Mode::Bitbang : FtdiConfig::Mode::Mpsse;
  testing::FakeFtdi fake;
  Reconnector::Clock::time_point now{};
  int attempts = 0;
  auto open = [&] {
    FtdiConnection connection = openFtdi(FtdiConfig{.mode = mode}, 0x378, fake);
    return OpenedHardware{.port = std::move(connection.port), .bus = std::move(connection.bus)};
  };
  Reconnector device(
      open(),
      [&] {
        ++attempts;
        return open();
      },
      [](const std::string&) {}, [&] { return now; });
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver(Platform{device.port(), &pauses, &settings, &folder, device.bus()});
  startDriver(driver, RefreshMode::Changed);
  FrameMemory::Layer picture{};
  const auto flush = [&](uint64_t n) {
    picture[n % picture.size()] ^= 0x81;
    driver.showFrame(picture);
    now += std::chrono::milliseconds(125);
  };
  uint64_t n = 0;
  flush(n++);
  fake.unplug();
  flush(n++);  // the adapter is found gone
  const auto awayFrom = now;
  for (auto _ : state) flush(n++);
  const double awaySeconds = std::chrono::duration<double>(now - awayFrom).count();
  state.counters["attempts_per_s"] = attempts / awaySeconds;
  fake.replug();
  const auto backFrom = now;
  while (device.away()) flush(n++);
  state.counters["s_to_glass"] = std::chrono::duration<double>(now - backFrom).count();
}
BENCHMARK(BM_AdapterAway)->ArgName("mpsse")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
