#include "cli/Tool.h"

#include <cstdio>
#include <exception>
#include <span>

#include "cli/Command.h"
#include "cli/ManPage.h"
#include "cli/RunStop.h"
#include "cli/Version.h"

namespace om6211::cli {
namespace {

const Command* const Commands[] = {
    &runCommand(),   &demoCommand(), &decodeCommand(),  &textCommand(),
    &imageCommand(), &infoCommand(), &patternCommand(), &wiringCommand(),
};

void printOverview(std::FILE* out) {
  std::fputs(
      "usage: om6211 COMMAND [arguments] [options]\n\n"
      "Drives the display driver through its exported entry points on a virtual panel that\n"
      "rebuilds the controller's input from the port writes, or on real hardware: a parallel\n"
      "port, GPIO lines, an SPI controller or an FTDI USB adapter (--port).\n\n"
      "commands:\n",
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

int reported(const char* message, int status) {
  std::fflush(stdout);
  std::fprintf(stderr, "om6211: %s\n", message);
  return status;
}

}  // namespace

int runTool(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h" ||
      arguments[0] == "help") {
    printOverview(arguments.empty() ? stderr : stdout);
    return arguments.empty() ? ExitUsage : ExitSuccess;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::puts("om6211 " OM6211_VERSION);
    return ExitSuccess;
  }
  // Not listed: the build writes the manual page om6211(1) with it.
  if (arguments.size() == 1 && arguments[0] == "--man") {
    std::fputs(manPage(Commands, OM6211_VERSION).c_str(), stdout);
    return ExitSuccess;
  }
  for (const Command* command : Commands) {
    if (command->syntax.name != arguments[0]) continue;
    const std::span<const std::string> rest(arguments.begin() + 1, arguments.end());
    if (asksForHelp(rest)) {
      std::fputs(helpText(command->syntax).c_str(), stdout);
      return ExitSuccess;
    }
    // Every way out unwinds through the command's session, which releases a real port before
    // the message is printed.
    try {
      return command->run(parseArguments(command->syntax, rest));
    } catch (const RunStopped& stopped) {
      return reported(stopped.what(), stopped.exitStatus());
    } catch (const std::exception& error) {
      return reported(error.what(), ExitUsage);
    }
  }
  std::fprintf(stderr, "om6211: unknown command '%s'\n\n", arguments[0].c_str());
  printOverview(stderr);
  return ExitUsage;
}

}  // namespace om6211::cli
