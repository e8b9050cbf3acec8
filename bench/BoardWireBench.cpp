// What a host update costs on each back end's wire: kernel calls (ioctls; a parallel-port
// register access is one on the parallel-port device) and bits on the module's serial line,
// per update, for a full refresh, a one-cell change and the lcdproc client's screens. The
// GPIO and SPI back ends run on a fake board whose module counts the clock edges it takes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "HostWorkloads.h"
#include "driver/Driver.h"
#include "host/PortFactory.h"
#include "panel/VirtualPanel.h"
#include "support/FakeBoard.h"
#include "support/QuietPlatform.h"

namespace {

using namespace om6211;
using namespace om6211::bench;

enum BackEnd : int64_t { ParallelPort, Gpio, Spi, SpiPacked };

// A configured, initialised driver on one back end.
class Wire {
 public:
  Wire(BackEnd backEnd, RefreshMode mode) : backEnd_(backEnd) {
    using Pin = testing::FakeBoard::Pin;
    board_.wire("/dev/gpiochip0", 10, Pin::Data);
    board_.wire("/dev/gpiochip0", 11, Pin::Clock);
    board_.wire("/dev/gpiochip0", 25, Pin::Reset);
    board_.wire("/dev/gpiochip0", 18, Pin::Backlight);
    board_.spiTakesNineBits = backEnd != SpiPacked;
    const char* selection = backEnd == Gpio
                                ? "gpio:gpiochip0:clk=11,din=10,res=25,light=18"
                                : "spi:/dev/spidev0.0:res=gpiochip0/25,light=gpiochip0/18";
    if (backEnd != ParallelPort) {
      hardware_ = openHardware(parsePortSelection(selection), 0x378, board_);
    }
    PortIo* port = hardware_.port ? static_cast<PortIo*>(hardware_.port.get()) : &panel_;
    driver_.emplace(Platform{port, &pauses_, &settings_, &folder_, hardware_.bus.get()});
    startDriver(*driver_, mode);
  }

  Driver& driver() { return *driver_; }
  uint64_t ioctls() const {
    return backEnd_ == ParallelPort ? panel_.operationCount() : board_.ioctls();
  }
  uint64_t bits() const {
    return backEnd_ == ParallelPort ? panel_.frameCount() * 9 : board_.module.clockEdges();
  }

 private:
  BackEnd backEnd_;
  panel::VirtualPanel panel_;
  testing::FakeBoard board_;
  OpenedHardware hardware_;
  SilentPauses pauses_;
  NoSettings settings_;
  NoHostFolder folder_;
  std::optional<Driver> driver_;
};

template <void (*Update)(Driver&, uint64_t)>
void BM_Wire(benchmark::State& state) {
  Wire wire(static_cast<BackEnd>(state.range(0)),
            state.range(1) == 0 ? RefreshMode::Full : RefreshMode::Changed);
  uint64_t n = 0;
  Update(wire.driver(), n++);
  const uint64_t ioctls = wire.ioctls();
  const uint64_t bits = wire.bits();
  for (auto _ : state) Update(wire.driver(), n++);
  const auto perUpdate = [&](uint64_t total) {
    return static_cast<double>(total) / static_cast<double>(state.iterations());
  };
  state.counters["ioctls"] = perUpdate(wire.ioctls() - ioctls);
  state.counters["bits"] = perUpdate(wire.bits() - bits);
}

// Back ends: 0 parallel port, 1 gpio, 2 spi with 9-bit words, 3 spi with 8-bit words.
#define WORKLOAD(update)                 \
  BENCHMARK_TEMPLATE(BM_Wire, update)    \
      ->ArgNames({"backend", "changed"}) \
      ->ArgsProduct({{ParallelPort, Gpio, Spi, SpiPacked}, {0, 1}})
WORKLOAD(fullRefresh);
WORKLOAD(oneCell);
WORKLOAD(clientScreens);
#undef WORKLOAD

}  // namespace

BENCHMARK_MAIN();
