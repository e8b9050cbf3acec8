#pragma once

#include <string>
#include <vector>

namespace om6211::cli {

// The whole tool on its arguments (without the program name): picks the command, runs it and
// turns every way it can end into a message on standard error and the exit status.
int runTool(const std::vector<std::string>& arguments);

}  // namespace om6211::cli
