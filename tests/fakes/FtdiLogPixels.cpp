// Prints the glass that the stand-in libftdi's log puts on a module wired to the adapter as the
// default pins say: 48 lines of 84 '#' (dark) or '.', as `om6211 decode --pixels` does, for
// scripts that check a program running on the stand-in. Anything the module could not take, or
// a line it cannot read, goes to stderr and fails the run.
//
//   om6211_ftdi_log_pixels LOG
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "support/FtdiLog.h"

int main(int argc, char** argv) {
  using namespace om6211;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LOG\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  panel::VirtualPanel panel;
  testing::FtdiPinDecoder decoder(panel, FtdiPins{});
  std::vector<std::string> problems = testing::replayFtdiLog(log, decoder);
  problems.insert(problems.end(), decoder.problems.begin(), decoder.problems.end());
  for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
  const panel::Glass glass = panel.glass();
  std::string line(panel::Glass::Width, '.');
  for (int y = 0; y < panel::Glass::Height; ++y) {
    for (int x = 0; x < panel::Glass::Width; ++x) line[x] = glass.isDark(x, y) ? '#' : '.';
    std::printf("%s\n", line.c_str());
  }
  return problems.empty() ? 0 : 1;
}
