#include "ports/portable/IniFileLookup.h"

#include <fstream>
#include <optional>

namespace om6211 {
namespace {

constexpr std::string_view Blanks = " \t";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(Blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(Blanks);
  return text.substr(first, last - first + 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::string valueOf(std::string_view raw) {
  std::string_view value = trimmed(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, SettingsLookup::MaxValueLength));
}

// Walks the lines of one file and answers the lookup once it is decided.
class IniScanner {
 public:
  IniScanner(std::string_view section, std::string_view key) : section_(section), key_(key) {}

  // Feeds one line without its line end; returns true once the answer is known.
  bool feed(std::string_view line) {
    if (firstLine_) {
      firstLine_ = false;
      if (line.starts_with(ByteOrderMark)) line.remove_prefix(ByteOrderMark.size());
    }
    line = trimmed(line);
    if (line.empty() || line.front() == ';') return false;
    if (line.front() == '[') {
      if (inSection_) return true;  // the first section of the name has ended without the key
      const auto close = line.find(']');
      inSection_ = equalIgnoringCase(
          trimmed(line.substr(1, close == line.npos ? line.npos : close - 1)), section_);
      return false;
    }
    if (!inSection_) return false;
    const auto equals = line.find('=');
    if (equals == line.npos || !equalIgnoringCase(trimmed(line.substr(0, equals)), key_)) {
      return false;
    }
    value_ = valueOf(line.substr(equals + 1));
    return true;
  }

  // Feeds a chunk that may hold CR-separated lines.
  bool feedChunk(std::string_view chunk) {
    while (true) {
      const auto cr = chunk.find('\r');
      if (feed(chunk.substr(0, cr))) return true;
      if (cr == chunk.npos) return false;
      chunk.remove_prefix(cr + 1);
    }
  }

  std::string answer(std::string_view fallback) const {
    return value_ ? *value_ : std::string(fallback);
  }

 private:
  std::string_view section_;
  std::string_view key_;
  bool firstLine_ = true;
  bool inSection_ = false;
  std::optional<std::string> value_;
};

}  // namespace

std::string lookupIniText(std::string_view contents, std::string_view section, std::string_view key,
                          std::string_view fallback) {
  IniScanner scanner(section, key);
  while (true) {
    const auto lf = contents.find('\n');
    if (scanner.feedChunk(contents.substr(0, lf)) || lf == contents.npos) break;
    contents.remove_prefix(lf + 1);
  }
  return scanner.answer(fallback);
}

std::string IniFileLookup::lookup(const std::string& file, std::string_view section,
                                  std::string_view key, std::string_view fallback) {
  if (file.empty()) return std::string(fallback);
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::string(fallback);
  IniScanner scanner(section, key);
  std::string line;
  while (std::getline(in, line)) {
    if (scanner.feedChunk(line)) break;
  }
  return scanner.answer(fallback);
}

}  // namespace om6211
