#include "cli/HostScript.h"

#include <charconv>

namespace om6211::cli {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Splits a line into tokens; a quoted token may hold blanks, \" and \\.
std::optional<std::string> tokenize(std::string_view line, std::vector<Token>& tokens) {
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at == line.size()) return std::nullopt;
    Token token;
    if (line[at] == '"') {
      token.quoted = true;
      ++at;
      while (true) {
        if (at == line.size()) return "unterminated quoted text";
        const char c = line[at++];
        if (c == '"') break;
        if (c == '\\') {
          if (at == line.size() || (line[at] != '"' && line[at] != '\\')) {
            return "unknown escape in quoted text (only \\\" and \\\\ are allowed)";
          }
          token.text.push_back(line[at++]);
        } else {
          token.text.push_back(c);
        }
      }
      if (at < line.size() && !isBlank(line[at])) return "text after a closing quote";
    } else {
      while (at < line.size() && !isBlank(line[at])) {
        if (line[at] == '"') return "a quote inside an unquoted token";
        token.text.push_back(line[at++]);
      }
    }
    tokens.push_back(std::move(token));
  }
}

// Decimal with an optional '-', or hexadecimal with 0x; any value that fits a 32-bit slot.
std::optional<uint32_t> parseNumber(const Token& token) {
  if (token.quoted) return std::nullopt;
  std::string_view text = token.text;
  const char* end = text.data() + text.size();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint32_t value = 0;
    auto [stop, error] = std::from_chars(text.data() + 2, end, value, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
  }
  if (!text.empty() && text[0] == '-') {
    int64_t value = 0;
    auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end || value < INT32_MIN) return std::nullopt;
    return static_cast<uint32_t>(static_cast<int32_t>(value));
  }
  uint32_t value = 0;
  auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::array<uint8_t, 64>> parsePattern(std::string_view text) {
  std::array<uint8_t, 64> pattern{};
  if (text.size() != pattern.size() * 2) return std::nullopt;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const int high = hexDigit(text[2 * i]);
    const int low = hexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    pattern[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return pattern;
}

// How a command's arguments are written: an optional leading text, then numbers, and for
// LCD_SetCGRAMChar a pattern after its one number.
struct CommandShape {
  ScriptCommand command;  // written as its exported name
  bool leadingText;
  std::size_t numberCount;
  bool trailingPattern;
  std::string_view usage;
};

constexpr CommandShape Shapes[] = {
    {ScriptCommand::GetInfo, false, 0, false, ""},
    {ScriptCommand::SetIOPropertys, true, 9, false,
     " PORT ADDRDELAY BUSDELAY COLS ROWS WIDTH HEIGHT BACKLIGHT CONTRASTON CONTRAST"},
    {ScriptCommand::Init, false, 0, false, ""},
    {ScriptCommand::CleanUp, false, 0, false, ""},
    {ScriptCommand::IsReadyToReceive, false, 0, false, ""},
    {ScriptCommand::SendToController, false, 1, false, " N"},
    {ScriptCommand::SendToMemory, false, 1, false, " CODE"},
    {ScriptCommand::SendToGfxMemory, true, 5, false, " FILE X1 Y1 X2 Y2 INVERTED"},
    {ScriptCommand::SetOutputAddress, false, 2, false, " COLUMN ROW"},
    {ScriptCommand::SetCGRAMChar, false, 1, true, " INDEX PATTERN"},
    {ScriptCommand::GetCGRAMChar, false, 1, false, " N"},
    {ScriptCommand::Customize, false, 5, false, " A B C D E"},
};

const CommandShape* shapeNamed(std::string_view name) {
  for (const CommandShape& shape : Shapes) {
    if (exportedName(shape.command) == name) return &shape;
  }
  return nullptr;
}

std::optional<std::string> parseCall(const std::vector<Token>& tokens, ScriptCall& call) {
  const CommandShape* shape = tokens[0].quoted ? nullptr : shapeNamed(tokens[0].text);
  if (shape == nullptr) return "unknown command '" + tokens[0].text + "'";
  call.command = shape->command;
  const std::size_t expected =
      1 + (shape->leadingText ? 1 : 0) + shape->numberCount + (shape->trailingPattern ? 1 : 0);
  if (tokens.size() != expected) {
    const std::string name(exportedName(shape->command));
    return name + " takes " + std::to_string(expected - 1) + " argument(s), " +
           std::to_string(tokens.size() - 1) + " given (usage: " + name +
           std::string(shape->usage) + ")";
  }
  std::size_t next = 1;
  if (shape->leadingText) call.text = tokens[next++].text;
  for (std::size_t i = 0; i < shape->numberCount; ++i, ++next) {
    const std::optional<uint32_t> number = parseNumber(tokens[next]);
    if (!number) return "'" + tokens[next].text + "' is not a number (decimal or 0x hexadecimal)";
    call.numbers.push_back(*number);
  }
  if (shape->trailingPattern) {
    const std::optional<std::array<uint8_t, 64>> pattern = parsePattern(tokens[next].text);
    if (!pattern) return "the pattern must be exactly 128 hexadecimal digits";
    call.pattern = *pattern;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ScriptError> forEachHostCall(
    std::string_view text,
    const std::function<void(const ScriptCall& call, std::string_view line)>& consume) {
  // Editors on Windows often begin UTF-8 files with a byte-order mark; it carries no text.
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, ByteOrderMark.size()) == ByteOrderMark)
    text.remove_prefix(ByteOrderMark.size());
  std::size_t lineNumber = 0;
  std::vector<Token> tokens;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    tokens.clear();
    ScriptCall call;
    call.line = lineNumber;
    std::optional<std::string> problem = tokenize(line, tokens);
    if (!problem) problem = parseCall(tokens, call);
    if (problem) return ScriptError{lineNumber, std::move(*problem)};
    consume(call, line);
  }
  return std::nullopt;
}

ParsedScript parseHostScript(std::string_view text) {
  ParsedScript result;
  result.error = forEachHostCall(
      text, [&result](const ScriptCall& call, std::string_view) { result.calls.push_back(call); });
  return result;
}

}  // namespace om6211::cli
