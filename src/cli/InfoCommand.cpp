#include <cstdio>

#include "cli/CommandSupport.h"

namespace om6211::cli {
namespace {

int run(const ParsedArguments&) {
  std::printf("%s\n", infoLine().c_str());
  return ExitSuccess;
}

}  // namespace

const Command& infoCommand() {
  static const Command command{
      {"info",
       "",
       0,
       "Prints the driver information record from DLL_GetInfo: its text, then the eight "
       "constant bytes in hexadecimal.",
       {},
       ""},
      run};
  return command;
}

}  // namespace om6211::cli
