#pragma once

// The host updates the benchmarks measure, the same on every back end so that their figures
// compare: each takes the driver and the update's number n (0, 1, 2, ...).
#include <array>
#include <cstdio>
#include <string>

#include "driver/Driver.h"

namespace om6211::bench {

// Configures and initialises the driver as every benchmark starts it: the default geometry,
// backlight on, `mode` with no periodic full refresh, so that every update shows its own cost.
inline void startDriver(Driver& driver, RefreshMode mode) {
  driver.SetIOPropertys("378", {.backlight = true});
  driver.setRefreshPolicy({.mode = mode, .fullRefreshEvery = 0});
  driver.Init();
}

// Six rows of fourteen characters, as a host writes a text screen: an address, then its cells.
inline void writeScreen(Driver& driver, const std::array<std::string, 6>& rows) {
  for (int32_t row = 0; row < 6; ++row) {
    driver.SetOutputAddress(0, row);
    for (int32_t column = 0; column < 14; ++column) {
      driver.SendToMemory(static_cast<uint8_t>(rows[row][column]));
    }
  }
}

inline const std::array<std::string, 6> StatusScreen = {"System status ", "CPU  23%  fan ",
                                                        "              ", "Load 0.42 0.40",
                                                        "Mem  61%  swp ", "Disk 48%  net "};

// The status screen with one cell changing.
inline void oneCell(Driver& driver, uint64_t n) {
  auto rows = StatusScreen;
  rows[1][6] = n % 2 == 0 ? '3' : '4';
  writeScreen(driver, rows);
}

// Every byte of the picture changes with every update.
inline void fullRefresh(Driver& driver, uint64_t n) {
  FrameMemory::Layer picture;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    picture[i] = static_cast<uint8_t>(n % 2 == 0 ? i * 37 : ~(i * 37));
  }
  driver.showFrame(picture);
}

// The lcdproc client's CPU, memory, uptime and clock screens in turn, four updates each, each
// update one second on.
inline void clientScreens(Driver& driver, uint64_t n) {
  char line[4][15];
  const unsigned s = static_cast<unsigned>(12 * 3600 + n);
  std::snprintf(line[0], 15, "CPU %3u%% u%3u%%", unsigned(n * 7 % 100), unsigned(n * 3 % 100));
  std::snprintf(line[1], 15, "Mem %3u%% s%3u%%", unsigned(40 + n % 20), unsigned(n % 5));
  std::snprintf(line[2], 15, "Up %2ud %02u:%02u", 3u, s / 3600 % 24, s / 60 % 60);
  std::snprintf(line[3], 15, "   %02u:%02u:%02u   ", s / 3600 % 24, s / 60 % 60, s % 60);
  const std::string title[4] = {"## CPU LOAD ##", "## MEMORY ####", "## UPTIME ####",
                                "## CLOCK #####"};
  writeScreen(driver, {title[n / 4 % 4], line[n / 4 % 4], "              ", "              ",
                       "              ", "              "});
}

// The lcdproc client's CPU screen, its four figures and its bar changing with every update.
inline void cpuScreen(Driver& driver, uint64_t n) {
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
  writeScreen(driver, rows);
}

}  // namespace om6211::bench
