#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace om6211::cli {

// A command line or input file the tool cannot work with; the tool exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSyntax {
  std::string_view name;       // "--png"
  std::string_view valueName;  // "FILE"; empty for a flag
  std::string_view help;
};

struct CommandSyntax {
  std::string_view name;
  std::string_view arguments;  // "SCRIPT"
  std::size_t argumentCount;
  std::string_view summary;
  std::vector<OptionSyntax> options;
  std::string_view details;
};

// The arguments of one command, checked against its syntax.
class ParsedArguments {
 public:
  std::vector<std::string> positional;

  bool has(std::string_view option) const { return values_.count(std::string(option)) != 0; }
  std::optional<std::string> value(std::string_view option) const;
  // The option's value as a whole number in [minimum, maximum], or `fallback` when absent.
  int number(std::string_view option, int minimum, int maximum, int fallback) const;

  void set(std::string_view option, std::string value) { values_[std::string(option)] = value; }

 private:
  std::map<std::string, std::string> values_;
};

// Raises UsageError naming the problem: an unknown option, a missing or empty value, a wrong
// number of arguments.
ParsedArguments parseArguments(const CommandSyntax& syntax, std::span<const std::string> arguments);

bool asksForHelp(std::span<const std::string> arguments);
std::string helpText(const CommandSyntax& syntax);

}  // namespace om6211::cli
