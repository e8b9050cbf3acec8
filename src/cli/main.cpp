// om6211: the command-line host. It drives the driver only through its exported entry points,
// on the virtual panel, and shows what the glass would show.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace {

using om6211::cli::Command;

const Command* const Commands[] = {
    &om6211::cli::runCommand(),  &om6211::cli::demoCommand(),  &om6211::cli::decodeCommand(),
    &om6211::cli::textCommand(), &om6211::cli::imageCommand(), &om6211::cli::infoCommand(),
};

void printOverview(std::FILE* out) {
  std::fputs(
      "usage: om6211 COMMAND [arguments] [options]\n\n"
      "Drives the display driver through its exported entry points on a virtual panel that\n"
      "rebuilds the controller's input from the port writes.\n\ncommands:\n",
      out);
  for (const Command* command : Commands) {
    std::fprintf(out, "  %-8s %s\n", std::string(command->syntax.name).c_str(),
                 std::string(command->syntax.arguments).c_str());
  }
  std::fputs("\n'om6211 COMMAND --help' describes a command.\n", out);
}

// Runs the command the arguments name; its exit status.
int dispatch(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h" ||
      arguments[0] == "help") {
    printOverview(arguments.empty() ? stderr : stdout);
    return arguments.empty() ? om6211::cli::ExitUsage : om6211::cli::ExitSuccess;
  }
  for (const Command* command : Commands) {
    if (command->syntax.name != arguments[0]) continue;
    const std::span<const std::string> rest(arguments.begin() + 1, arguments.end());
    if (om6211::cli::asksForHelp(rest)) {
      std::fputs(om6211::cli::helpText(command->syntax).c_str(), stdout);
      return om6211::cli::ExitSuccess;
    }
    try {
      return command->run(om6211::cli::parseArguments(command->syntax, rest));
    } catch (const om6211::cli::UsageError& error) {
      std::fflush(stdout);
      std::fprintf(stderr, "om6211: %s\n", error.what());
      return om6211::cli::ExitUsage;
    } catch (const std::exception& error) {
      std::fflush(stdout);
      std::fprintf(stderr, "om6211: %s\n", error.what());
      return om6211::cli::ExitUsage;
    }
  }
  std::fprintf(stderr, "om6211: unknown command '%s'\n\n", arguments[0].c_str());
  printOverview(stderr);
  return om6211::cli::ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  const int status = dispatch(argc, argv);
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
