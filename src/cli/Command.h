#pragma once

#include "cli/CommandLine.h"

namespace om6211::cli {

// Exit statuses of the tool.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitCallsFailed = 1;  // the run went through, but driver calls failed
inline constexpr int ExitUsage = 2;        // bad arguments, unreadable or malformed files

// One subcommand of the tool: its syntax and what it does with its checked arguments.
struct Command {
  CommandSyntax syntax;
  int (*run)(const ParsedArguments& arguments);
};

const Command& runCommand();
const Command& demoCommand();
const Command& decodeCommand();
const Command& textCommand();
const Command& imageCommand();
const Command& infoCommand();
const Command& patternCommand();
const Command& wiringCommand();

}  // namespace om6211::cli
