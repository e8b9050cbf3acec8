#include "cli/Cp1250Text.h"

#include <cstdio>

namespace om6211::cli {
namespace {

struct Letter {
  char32_t codePoint;
  uint8_t code;
};

// The upper-half letters the glyph table carries.
constexpr Letter Letters[] = {
    {U'Ş', 0xAA}, {U'ş', 0xBA}, {U'Á', 0xC1}, {U'Â', 0xC2}, {U'Ă', 0xC3}, {U'Ä', 0xC4},
    {U'É', 0xC9}, {U'Í', 0xCD}, {U'Î', 0xCE}, {U'Ó', 0xD3}, {U'Ő', 0xD5}, {U'Ö', 0xD6},
    {U'Ú', 0xDA}, {U'Ű', 0xDB}, {U'Ü', 0xDC}, {U'Ţ', 0xDE}, {U'ß', 0xDF}, {U'á', 0xE1},
    {U'â', 0xE2}, {U'ă', 0xE3}, {U'ä', 0xE4}, {U'é', 0xE9}, {U'ë', 0xEB}, {U'í', 0xED},
    {U'î', 0xEE}, {U'ó', 0xF3}, {U'ô', 0xF4}, {U'ő', 0xF5}, {U'ö', 0xF6}, {U'ú', 0xFA},
    {U'ű', 0xFB}, {U'ü', 0xFC}, {U'ţ', 0xFE},
};

int codeFor(char32_t codePoint) {
  if (codePoint == U'\n') return '\n';
  if (codePoint == U'\t') return ' ';
  if (codePoint >= 0x20 && codePoint <= 0x7E) return static_cast<int>(codePoint);
  for (const Letter& letter : Letters) {
    if (letter.codePoint == codePoint) return letter.code;
  }
  return -1;
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
