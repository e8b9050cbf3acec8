// What a host update costs on the USB of an FTDI adapter, in synchronous bit-bang and in MPSSE
// mode: libftdi writes, USB transfers (at libftdi's transfer size of 4096 bytes) and bytes per
// update, counted on a fake adapter. A USB round trip takes 1 ms or more, so the transfers are
// what bounds an update's time.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

#include "driver/Driver.h"
#include "platform/linux/FtdiConnection.h"
#include "support/FakeFtdi.h"
#include "support/QuietPlatform.h"

namespace {

using namespace om6211;

struct Bench {
  Bench(FtdiSelection::Mode mode, RefreshMode refresh) {
    connection = openFtdi(FtdiSelection{.mode = mode}, 0x378, fake);
    driver.usePlatform({connection.port.get(), &pauses, &settings, &folder, connection.bus.get()});
    driver.SetIOPropertys("378", {.backlight = true});
    driver.setRefreshPolicy({.mode = refresh, .fullRefreshEvery = 0});
    driver.Init();
  }

  void writeScreen(const std::array<std::string, 6>& rows) {
    for (int32_t row = 0; row < 6; ++row) {
      driver.SetOutputAddress(0, row);
      for (int32_t column = 0; column < 14; ++column) {
        driver.SendToMemory(static_cast<uint8_t>(rows[row][column]));
      }
    }
  }

  testing::FakeFtdi fake;
  FtdiConnection connection;
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver{Platform{}};
};

// Every byte of the picture changes with every update.
void fullRefresh(Bench& bench, uint64_t n) {
  FrameMemory::Layer picture;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    picture[i] = static_cast<uint8_t>(n % 2 == 0 ? i * 37 : ~(i * 37));
  }
  bench.driver.showFrame(picture);
}

const std::array<std::string, 6> Screen = {"System status ", "CPU  23%  fan ", "              ",
                                           "Load 0.42 0.40", "Mem  61%  swp ", "Disk 48%  net "};

void oneCell(Bench& bench, uint64_t n) {
  auto rows = Screen;
  rows[1][6] = n % 2 == 0 ? '3' : '4';
  bench.writeScreen(rows);
}

// The CPU screen of the lcdproc client, its four figures changing with every update.
void lcdprocScreen(Bench& bench, uint64_t n) {
  std::array<std::string, 6> rows = {"## CPU myhost#", "", "", "", "", "0%  50%  100% "};
  const unsigned load = static_cast<unsigned>(n * 37 % 1000);
  char line[20];
  std::snprintf(line, sizeof line, "Usr %2u.%u Nice ", load / 10 % 100, load % 10);
  rows[1] = line;
  std::snprintf(line, sizeof line, "Sys %2u.%u Idle ", (load + 123) / 10 % 100, (load + 3) % 10);
  rows[2] = line;
  std::snprintf(line, sizeof line, "%4u.%u  %3u.%u  ", (load + 71) / 10 % 100, (load + 7) % 10,
                (1000 - load) / 10 % 100, (999 - load) % 10);
  rows[3] = line;
  rows[4] = std::string(load * 14 / 1000, '#') + std::string(14 - load * 14 / 1000, ' ');
  bench.writeScreen(rows);
}

template <void (*Update)(Bench&, uint64_t), RefreshMode Refresh>
void BM_Usb(benchmark::State& state) {
  const auto mode = state.range(0) == 0 ? FtdiSelection::Mode::Bitbang : FtdiSelection::Mode::Mpsse;
  Bench bench(mode, Refresh);
  uint64_t n = 0;
  Update(bench, n++);  // sets the scene
  const uint64_t transfers = bench.fake.transfers;
  const uint64_t writes = bench.fake.writes;
  const uint64_t bytes = bench.fake.bytes;
  for (auto _ : state) Update(bench, n++);
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
WORKLOAD(lcdprocScreen, Changed);
WORKLOAD(lcdprocScreen, Full);
#undef WORKLOAD

}  // namespace

BENCHMARK_MAIN();
