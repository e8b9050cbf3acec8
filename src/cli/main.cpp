// om6211: the command-line host. It drives the driver only through its exported entry points,
// on the virtual panel or real hardware, and shows what the glass would show.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/RunStop.h"
#include "cli/Tool.h"

int main(int argc, char** argv) {
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  om6211::cli::installStopHandlers();
  const int status = om6211::cli::runTool(std::vector<std::string>(argv + 1, argv + argc));
  // Results that never reached their file (a full disk, /dev/full) make the run a failure.
  const bool flushed = std::fflush(stdout) == 0;
  const int reason = errno;
  if (!flushed || std::ferror(stdout)) {
    std::fprintf(stderr, "om6211: standard output could not be written%s%s\n", flushed ? "" : ": ",
                 flushed ? "" : std::strerror(reason));
    return om6211::cli::ExitUsage;
  }
  return status;
}
