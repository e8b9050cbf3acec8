#include "host/TraceReader.h"

#include <charconv>

namespace om6211::cli {
namespace {

// Splits off the next blank-separated word; empty at the end of the line.
std::string_view nextWord(std::string_view& rest) {
  const std::size_t start = rest.find_first_not_of(" \t");
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(start);
  const std::size_t end = rest.find_first_of(" \t");
  const std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  return word;
}

template <typename Number>
bool parseWhole(std::string_view text, int base, Number& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value, base);
  return error == std::errc() && stop == end;
}

TraceLine malformed(const char* problem) {
  TraceLine line;
  line.kind = TraceLine::Kind::Malformed;
  line.problem = problem;
  return line;
}

}  // namespace

TraceLine parseTraceLine(std::string_view text) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::string_view rest = text;
  const std::string_view verb = nextWord(rest);
  TraceLine line;
  if (verb.empty()) return line;
  if (verb.front() == '#') {
    line.kind = TraceLine::Kind::Annotation;
    return line;
  }
  line.kind = TraceLine::Kind::Operation;
  PortOperation& op = line.operation;
  const std::string_view first = nextWord(rest);
  if (verb == "out") {
    op.kind = PortOperation::Kind::Out;
    if (!parseWhole(first, 16, op.number)) return malformed("the port is not a hexadecimal number");
    const std::string_view value = nextWord(rest);
    if (value.size() > 2 || !parseWhole(value, 16, op.value)) {
      return malformed("the value is not one or two hexadecimal digits");
    }
  } else if (verb == "in") {
    op.kind = PortOperation::Kind::In;
    if (!parseWhole(first, 16, op.number)) return malformed("the port is not a hexadecimal number");
  } else if (verb == "sleep") {
    op.kind = PortOperation::Kind::Sleep;
    if (!parseWhole(first, 10, op.number)) {
      return malformed("the pause is not a decimal number of milliseconds");
    }
  } else {
    return malformed("not an operation (out, in, sleep) or an annotation (#)");
  }
  if (!nextWord(rest).empty()) return malformed("more words than the operation takes");
  return line;
}

std::optional<TraceError> readTrace(std::string_view text,
                                    const std::function<void(const PortOperation&)>& consume) {
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    const TraceLine line = parseTraceLine(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.kind == TraceLine::Kind::Malformed) return TraceError{lineNumber, line.problem};
    if (line.kind == TraceLine::Kind::Operation) consume(line.operation);
  }
  return std::nullopt;
}

}  // namespace om6211::cli
