// The C library through its public header: the CPU time of om6211_show and om6211_show_rows
// for a changed full-screen picture on the null port (frames dropped) and on the virtual panel,
// and the frames a clock screen ticking each second costs against the fewest possible.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/TraceReader.h"
#include "om6211/om6211.h"
#include "support/FrameDecoder.h"
#include "support/RefreshFloor.h"

namespace {

using Pages = std::array<uint8_t, OM6211_PAGE_BYTES>;

Pages pattern(uint8_t seed) {
  Pages pages{};
  for (std::size_t i = 0; i < pages.size(); ++i) pages[i] = uint8_t(i * 37 + seed);
  return pages;
}

// Every byte of the one differs from the other: each call sends the whole screen.
void showChanged(benchmark::State& state, const char* port, bool rows) {
  om6211_display* display = om6211_open(port, nullptr);
  if (display == nullptr) {
    state.SkipWithError(om6211_error());
    return;
  }
  const Pages pictures[2] = {pattern(0), pattern(0x55)};
  std::vector<uint8_t> rowBytes[2];
  for (int p = 0; p < 2; ++p) {
    rowBytes[p].assign(48 * 11, 0);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 84; ++x) {
        if (pictures[p][std::size_t(y / 8 * 84 + x)] >> (y % 8) & 1) {
          rowBytes[p][std::size_t(y * 11 + x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
      }
    }
  }
  const long long framesBefore = om6211_frames_sent(display);
  int which = 0;
  for (auto _ : state) {
    which ^= 1;
    const int result = rows ? om6211_show_rows(display, rowBytes[which].data(), 11)
                            : om6211_show(display, pictures[which].data());
    benchmark::DoNotOptimize(result);
  }
  state.counters["frames"] = benchmark::Counter(double(om6211_frames_sent(display) - framesBefore) /
                                                double(state.iterations()));
  om6211_close(display);
}

void BM_ShowOnNull(benchmark::State& state) {
  showChanged(state, "null", false);
}
void BM_ShowRowsOnNull(benchmark::State& state) {
  showChanged(state, "null", true);
}
void BM_ShowOnVirtual(benchmark::State& state) {
  showChanged(state, "virtual", false);
}
BENCHMARK(BM_ShowOnNull);
BENCHMARK(BM_ShowRowsOnNull);
BENCHMARK(BM_ShowOnVirtual);

// The time HH:MM:SS on the middle text row, the date below it, in the display's glyphs.
Pages clockScreen(std::time_t seconds) {
  Pages pages{};
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char lines[2][16];
  std::strftime(lines[0], sizeof lines[0], "%H:%M:%S", &parts);
  std::strftime(lines[1], sizeof lines[1], "%d.%m.%Y", &parts);
  const int pageOf[2] = {2, 4};
  for (int line = 0; line < 2; ++line) {
    int x = 18;
    for (const char* c = lines[line]; *c != '\0'; ++c, x += 6) {
      uint8_t columns[5];
      om6211_glyph(uint8_t(*c), columns);
      for (int i = 0; i < 5; ++i) pages[std::size_t(pageOf[line] * 84 + x + i)] = columns[i];
    }
  }
  return pages;
}

// An hour of ticks on the virtual panel; counters per tick: frames sent, the fewest frames
// that could have done it, and their ratio (1 at the floor, full refreshes every 32nd tick
// excluded, as the policy asks for them).
void BM_ClockTicks(benchmark::State& state) {
  const std::string trace =
      (std::filesystem::temp_directory_path() / "om6211-clock-bench.trace").string();
  double frames = 0;
  double floor = 0;
  for (auto _ : state) {
    om6211_options options;
    om6211_options_init(&options);
    options.trace = trace.c_str();
    om6211_display* display = om6211_open("virtual", &options);
    std::vector<long long> boundaries{om6211_frames_sent(display)};
    std::vector<Pages> screens;
    const std::time_t start = 1'700'000'000;
    for (std::time_t second = 0; second < 3600; ++second) {
      screens.push_back(clockScreen(start + second));
      om6211_show(display, screens.back().data());
      boundaries.push_back(om6211_frames_sent(display));
    }
    om6211_close(display);
    state.PauseTiming();
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    om6211::PortTrace operations;
    om6211::cli::readTrace(
        text.str(), [&](const om6211::PortOperation& op) { operations.operations.push_back(op); });
    const std::vector<om6211::testing::Frame> sent = om6211::testing::decodeFrames(operations);
    om6211::testing::AddressTracker address;
    for (long long i = 0; i < boundaries[0]; ++i) address.onFrame(sent[i].isData, sent[i].value);
    Pages ram{};
    for (std::size_t tick = 0; tick < screens.size(); ++tick) {
      const om6211::testing::RamAddress before = address.address;
      for (long long i = boundaries[tick]; i < boundaries[tick + 1]; ++i) {
        address.onFrame(sent[std::size_t(i)].isData, sent[std::size_t(i)].value);
      }
      if ((tick + 1) % 32 != 0 && tick > 0) {
        frames += double(boundaries[tick + 1] - boundaries[tick]);
        floor += om6211::testing::refreshFloor(ram, screens[tick], 6, 84, before);
      }
      ram = screens[tick];
    }
    state.ResumeTiming();
  }
  state.counters["frames_per_tick"] = frames / (state.iterations() * 3600.0);
  state.counters["floor_per_tick"] = floor / (state.iterations() * 3600.0);
  state.counters["frames_over_floor"] = floor > 0 ? frames / floor : 0;
  std::filesystem::remove(trace);
}
BENCHMARK(BM_ClockTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
