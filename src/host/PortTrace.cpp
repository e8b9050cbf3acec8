#include "host/PortTrace.h"

#include <cstring>

namespace om6211 {
namespace {

constexpr char HexDigits[] = "0123456789abcdef";

char* appendHex(uint32_t number, char* out) {
  int shift = 28;
  while (shift > 0 && ((number >> shift) & 0xF) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) *out++ = HexDigits[(number >> shift) & 0xF];
  return out;
}

char* appendDecimal(uint32_t number, char* out) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

}  // namespace

std::size_t formatTraceLine(const PortOperation& operation, char* out) {
  char* cursor = out;
  switch (operation.kind) {
    case PortOperation::Kind::Out:
      std::memcpy(cursor, "out ", 4);
      cursor = appendHex(operation.number, cursor + 4);
      *cursor++ = ' ';
      *cursor++ = HexDigits[operation.value >> 4];
      *cursor++ = HexDigits[operation.value & 0xF];
      break;
    case PortOperation::Kind::In:
      std::memcpy(cursor, "in ", 3);
      cursor = appendHex(operation.number, cursor + 3);
      break;
    case PortOperation::Kind::Sleep:
      std::memcpy(cursor, "sleep ", 6);
      cursor = appendDecimal(operation.number, cursor + 6);
      break;
  }
  *cursor++ = '\n';
  return static_cast<std::size_t>(cursor - out);
}

std::string PortTrace::text() const {
  std::string result;
  result.reserve(operations.size() * 11);
  char line[MaxTraceLineLength];
  for (const PortOperation& operation : operations) {
    result.append(line, formatTraceLine(operation, line));
  }
  return result;
}

}  // namespace om6211
