#include "cli/CommandLine.h"

#include <charconv>

namespace om6211::cli {

std::optional<std::string> ParsedArguments::value(std::string_view option) const {
  const auto found = values_.find(std::string(option));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

int ParsedArguments::number(std::string_view option, int minimum, int maximum, int fallback) const {
  const std::optional<std::string> text = value(option);
  if (!text) return fallback;
  int result = 0;
  const char* end = text->data() + text->size();
  auto [stop, error] = std::from_chars(text->data(), end, result);
  if (error != std::errc() || stop != end || text->empty() || result < minimum ||
      result > maximum) {
    throw UsageError(std::string(option) + " takes a whole number from " + std::to_string(minimum) +
                     " to " + std::to_string(maximum) + ", not '" + *text + "'");
  }
  return result;
}

ParsedArguments parseArguments(const CommandSpec& spec, std::span<const std::string> arguments) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(argument);
      continue;
    }
    const OptionSpec* option = nullptr;
    for (const OptionSpec& candidate : spec.options) {
      if (candidate.name == argument) option = &candidate;
    }
    if (option == nullptr) {
      throw UsageError("unknown option " + argument + " for '" + std::string(spec.name) +
                       "' (see om6211 " + std::string(spec.name) + " --help)");
    }
    if (option->valueName.empty()) {
      parsed.set(argument, "");
      continue;
    }
    if (i + 1 == arguments.size()) {
      throw UsageError(argument + " needs a value (" + std::string(option->valueName) + ")");
    }
    parsed.set(argument, arguments[++i]);
  }
  if (parsed.positional.size() != spec.argumentCount) {
    throw UsageError(
        "'" + std::string(spec.name) + "' takes " +
        (spec.argumentCount == 0 ? std::string("no argument") : std::string(spec.arguments)) +
        " (see om6211 " + std::string(spec.name) + " --help)");
  }
  return parsed;
}

bool asksForHelp(std::span<const std::string> arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}

std::string helpText(const CommandSpec& spec) {
  std::string text = "usage: om6211 " + std::string(spec.name);
  if (!spec.arguments.empty()) text += " " + std::string(spec.arguments);
  if (!spec.options.empty()) text += " [options]";
  text += "\n\n" + std::string(spec.summary) + "\n";
  if (!spec.options.empty()) text += "\noptions:\n";
  for (const OptionSpec& option : spec.options) {
    std::string left = "  " + std::string(option.name);
    if (!option.valueName.empty()) left += " " + std::string(option.valueName);
    if (left.size() < 24)
      left.resize(24, ' ');
    else
      left += "  ";
    text += left + std::string(option.help) + "\n";
  }
  text += "  --help                show this text\n";
  if (!spec.details.empty()) text += "\n" + std::string(spec.details);
  return text;
}

}  // namespace om6211::cli
