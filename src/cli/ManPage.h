#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/Command.h"

namespace om6211::cli {

// The manual page om6211(1) in roff with the man macros, written from the commands' own syntax
// tables, so that it names every command and option the tool accepts. Plain ASCII: characters
// beyond it are written as groff's \[uXXXX] escapes.
std::string manPage(std::span<const Command* const> commands, std::string_view version);

// `text` as roff input lines: backslashes and hyphens escaped, lines that would read as requests
// (a leading '.' or ''') made plain, blank lines turned into paragraph breaks.
std::string roffText(std::string_view text);

}  // namespace om6211::cli
