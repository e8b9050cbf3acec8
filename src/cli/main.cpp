// om6211: the command-line host. It drives the driver only through its exported entry points,
// on the virtual panel or a real parallel port, and shows what the glass would show.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/RunStop.h"
#include "cli/Tool.h"

int main(int argc, char** argv) {
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  om6211::cli::installStopHandlers();
  return om6211::cli::runTool(std::vector<std::string>(argv + 1, argv + argc));
}
