// Throughput of the driver and the virtual panel together on full refreshes, with and without
// a trace file, and of the trace writer alone.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>

#include "driver/Driver.h"
#include "host/TraceWriter.h"
#include "host/TracingPort.h"
#include "panel/VirtualPanel.h"
#include "ports/portable/IniFileLookup.h"
#include "support/QuietPlatform.h"

namespace {

using namespace om6211;

std::array<uint8_t, 84 * 48> checkerboard() {
  std::array<uint8_t, 84 * 48> bitmap{};
  for (std::size_t i = 0; i < bitmap.size(); ++i) bitmap[i] = (i / 84 + i % 84) % 2;
  return bitmap;
}

// One full refresh per iteration: the graphics upload of a whole screen.
void refreshes(benchmark::State& state, PortIo& port, const panel::VirtualPanel& panel) {
  SilentPauses pauses;
  NoSettings settings;
  NoHostFolder folder;
  Driver driver(Platform{&port, &pauses, &settings, &folder});
  driver.SetIOPropertys("378", {.backlight = true});
  const auto bitmap = checkerboard();
  const uint64_t before = panel.operationCount();
  for (auto _ : state) {
    driver.SendToGfxMemory(bitmap.data(), 0, 0, 83, 47, false);
    benchmark::ClobberMemory();
  }
  const uint64_t operations = panel.operationCount() - before;
  state.SetItemsProcessed(static_cast<int64_t>(operations));
  state.counters["ops/refresh"] =
      static_cast<double>(operations) / static_cast<double>(state.iterations());
  if (panel.controller().unknownCommandCount() != 0) state.SkipWithError("panel saw garbage");
}

void BM_FullRefreshOnPanel(benchmark::State& state) {
  panel::VirtualPanel panel;
  refreshes(state, panel, panel);
}
BENCHMARK(BM_FullRefreshOnPanel);

void BM_FullRefreshOnPanelWithTrace(benchmark::State& state) {
  std::FILE* sink = std::fopen("/dev/null", "wb");
  if (sink == nullptr) {
    state.SkipWithError("no /dev/null");
    return;
  }
  {
    panel::VirtualPanel panel;
    TraceWriter trace(sink, "/dev/null");
    TracingPort port(panel, trace);
    refreshes(state, port, panel);
  }
  std::fclose(sink);
}
BENCHMARK(BM_FullRefreshOnPanelWithTrace);

// Lines of a refresh's typical mix: control writes, a data-register write now and then.
void BM_TraceWriterLines(benchmark::State& state) {
  std::FILE* sink = std::fopen("/dev/null", "wb");
  if (sink == nullptr) {
    state.SkipWithError("no /dev/null");
    return;
  }
  {
    TraceWriter trace(sink, "/dev/null");
    uint8_t value = 0;
    for (auto _ : state) {
      for (int i = 0; i < 1000; ++i) {
        trace.append({PortOperation::Kind::Out, i % 19 == 0 ? 0x378u : 0x37Au, value++});
      }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000);
  }
  std::fclose(sink);
}
BENCHMARK(BM_TraceWriterLines);

}  // namespace

BENCHMARK_MAIN();
