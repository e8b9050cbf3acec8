#include "cli/Cp1250Text.h"

#include <cstdio>
#include <optional>

#include "render/GlyphCodes.h"

namespace om6211::cli {
namespace {

int codeFor(char32_t codePoint) {
  if (codePoint == U'\n') return '\n';
  if (codePoint == U'\t') return ' ';
  const std::optional<uint8_t> code = glyphCodeOf(codePoint);
  return code ? *code : -1;
}

// Decodes one UTF-8 sequence at the front of `text`; -1 for a byte that does not start a
// valid, shortest-form sequence (only that byte is then consumed).
int32_t decodeUtf8(std::string_view& text) {
  const auto lead = static_cast<uint8_t>(text[0]);
  int length = 0;
  int32_t codePoint = 0;
  if (lead < 0x80) {
    text.remove_prefix(1);
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  }
  if (length == 0 || text.size() < static_cast<std::size_t>(length)) {
    text.remove_prefix(1);
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(text[static_cast<std::size_t>(i)]);
    if ((next & 0xC0) != 0x80) {
      text.remove_prefix(1);
      return -1;
    }
    codePoint = codePoint << 6 | (next & 0x3F);
  }
  constexpr int32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < Smallest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    text.remove_prefix(1);
    return -1;
  }
  text.remove_prefix(static_cast<std::size_t>(length));
  return codePoint;
}

}  // namespace

Cp1250Text toCp1250(std::string_view utf8) {
  Cp1250Text result;
  char name[16];
  while (!utf8.empty()) {
    const auto firstByte = static_cast<uint8_t>(utf8[0]);
    const int32_t codePoint = decodeUtf8(utf8);
    const int code = codePoint < 0 ? -1 : codeFor(static_cast<char32_t>(codePoint));
    if (code >= 0) {
      result.codes.push_back(static_cast<char>(code));
      continue;
    }
    if (codePoint < 0) {
      std::snprintf(name, sizeof name, "byte 0x%02x", firstByte);
    } else {
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    }
    result.unmapped.emplace_back(name);
    result.codes.push_back(static_cast<char>(Cp1250Text::Replacement));
  }
  return result;
}

}  // namespace om6211::cli
