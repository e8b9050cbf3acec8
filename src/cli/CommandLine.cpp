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

ParsedArguments parseArguments(const CommandSyntax& syntax,
                               std::span<const std::string> arguments) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(argument);
      continue;
    }
    const OptionSyntax* option = nullptr;
    for (const OptionSyntax& candidate : syntax.options) {
      if (candidate.name == argument) option = &candidate;
    }
    if (option == nullptr) {
      throw UsageError("unknown option " + argument + " for '" + std::string(syntax.name) +
                       "' (see om6211 " + std::string(syntax.name) + " --help)");
    }
    if (option->valueName.empty()) {
      parsed.set(argument, "");
      continue;
    }
    if (i + 1 == arguments.size()) {
      throw UsageError(argument + " needs a value (" + std::string(option->valueName) + ")");
    }
    // An empty value never names a file, folder or number: refused before anything is opened.
    if (arguments[++i].empty()) {
      throw UsageError(argument + " needs a value (" + std::string(option->valueName) +
                       "), not an empty text");
    }
    parsed.set(argument, arguments[i]);
  }
  if (parsed.positional.size() != syntax.argumentCount) {
    throw UsageError(
        "'" + std::string(syntax.name) + "' takes " +
        (syntax.argumentCount == 0 ? std::string("no argument") : std::string(syntax.arguments)) +
        " (see om6211 " + std::string(syntax.name) + " --help)");
  }
  return parsed;
}

bool asksForHelp(std::span<const std::string> arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}

std::string helpText(const CommandSyntax& syntax) {
  std::string text = "usage: om6211 " + std::string(syntax.name);
  if (!syntax.arguments.empty()) text += " " + std::string(syntax.arguments);
  if (!syntax.options.empty()) text += " [options]";
  text += "\n\n" + std::string(syntax.summary) + "\n";
  if (!syntax.options.empty()) text += "\noptions:\n";
  for (const OptionSyntax& option : syntax.options) {
    std::string left = "  " + std::string(option.name);
    if (!option.valueName.empty()) left += " " + std::string(option.valueName);
    if (left.size() < 24)
      left.resize(24, ' ');
    else
      left += "  ";
    text += left + std::string(option.help) + "\n";
  }
  text += "  --help                show this text\n";
  if (!syntax.details.empty()) text += "\n" + std::string(syntax.details);
  return text;
}

}  // namespace om6211::cli
