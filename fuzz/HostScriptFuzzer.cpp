// Feeds arbitrary text to the host-script parser and checks what it accepts: every call has
// its command's argument count, lines are numbered in order, and writing the calls out again
// as a script and parsing that gives back the very same calls.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/HostScript.h"

namespace {

using namespace om6211::cli;

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

std::size_t numberCountOf(ScriptCommand command) {
  switch (command) {
    case ScriptCommand::SetIOPropertys:
      return 9;
    case ScriptCommand::SendToGfxMemory:
    case ScriptCommand::Customize:
      return 5;
    case ScriptCommand::SetOutputAddress:
      return 2;
    case ScriptCommand::SendToController:
    case ScriptCommand::SendToMemory:
    case ScriptCommand::SetCGRAMChar:
    case ScriptCommand::GetCGRAMChar:
      return 1;
    default:
      return 0;
  }
}

std::string quoted(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') result += '\\';
    result += c;
  }
  return result + '"';
}

// Writes a call the way formats.md describes it, numbers alternately decimal and hexadecimal.
std::string scriptLine(const ScriptCall& call) {
  static constexpr char Hex[] = "0123456789abcdef";
  std::string line(exportedName(call.command));
  const bool hasText = call.command == ScriptCommand::SetIOPropertys ||
                       call.command == ScriptCommand::SendToGfxMemory;
  if (hasText) line += ' ' + quoted(call.text);
  for (std::size_t i = 0; i < call.numbers.size(); ++i) {
    char number[16];
    std::snprintf(number, sizeof number, i % 2 ? "0x%X" : "%u", call.numbers[i]);
    line += ' ';
    line += number;
  }
  if (call.command == ScriptCommand::SetCGRAMChar) {
    line += ' ';
    for (uint8_t byte : call.pattern) {
      line += Hex[byte >> 4];
      line += Hex[byte & 0xF];
    }
  }
  return line;
}

bool sameCall(const ScriptCall& a, const ScriptCall& b) {
  return a.command == b.command && a.numbers == b.numbers && a.text == b.text &&
         a.pattern == b.pattern;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ParsedScript parsed = parseHostScript(text);
  const std::size_t lines =
      1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (parsed.error && (parsed.error->line == 0 || parsed.error->line > lines)) {
    finding("error names line " + std::to_string(parsed.error->line) + " of " +
            std::to_string(lines));
  }
  std::size_t previousLine = 0;
  std::string rewritten;
  for (const ScriptCall& call : parsed.calls) {
    if (call.line <= previousLine || call.line > lines) finding("call lines out of order");
    previousLine = call.line;
    if (call.numbers.size() != numberCountOf(call.command)) {
      finding(std::string(exportedName(call.command)) + " with a wrong number of arguments");
    }
    rewritten += scriptLine(call) + (call.line % 2 ? "\n" : "\r\n");
  }
  if (parsed.error) return 0;
  const ParsedScript reparsed = parseHostScript(rewritten);
  if (reparsed.error) {
    finding("rewritten script rejected at line " + std::to_string(reparsed.error->line) + ": " +
            reparsed.error->message);
  }
  if (reparsed.calls.size() != parsed.calls.size()) finding("rewritten script lost calls");
  for (std::size_t i = 0; i < parsed.calls.size(); ++i) {
    if (!sameCall(parsed.calls[i], reparsed.calls[i])) {
      finding("rewritten call differs: " + scriptLine(parsed.calls[i]));
    }
  }
  return 0;
}
