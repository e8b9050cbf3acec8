// om6211: the command-line host. It drives the driver only through its exported entry points,
// on the virtual panel, and shows what the glass would show.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/ManPage.h"
#include "cli/Version.h"

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
  std::fputs(
      "\n'om6211 COMMAND --help' describes a command; 'om6211 --version' prints the "
      "version.\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h" ||
      arguments[0] == "help") {
    printOverview(arguments.empty() ? stderr : stdout);
    return arguments.empty() ? om6211::cli::ExitUsage : om6211::cli::ExitSuccess;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::puts("om6211 " OM6211_VERSION);
    return om6211::cli::ExitSuccess;
  }
  // Not listed: the build writes the manual page om6211(1) with it.
  if (arguments.size() == 1 && arguments[0] == "--man") {
    std::fputs(om6211::cli::manPage(Commands, OM6211_VERSION).c_str(), stdout);
    return om6211::cli::ExitSuccess;
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
