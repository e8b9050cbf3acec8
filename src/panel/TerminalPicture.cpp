#include "panel/TerminalPicture.h"

namespace om6211::panel {
namespace {

constexpr const char* HalfBlocks[] = {" ", "\u2580", "\u2584", "\u2588"};  // by top | bottom << 1

void appendBorder(std::string& out, const char* left, const char* right) {
  out += left;
  for (int x = 0; x < Glass::Width; ++x) out += "\u2500";
  out += right;
  out += '\n';
}

}  // namespace

std::string terminalPicture(const Glass& glass) {
  std::string out;
  out.reserve((Glass::Width + 2) * 3 * (Glass::Height / 2 + 2));
  appendBorder(out, "\u250c", "\u2510");
  for (int y = 0; y < Glass::Height; y += 2) {
    out += "\u2502";
    for (int x = 0; x < Glass::Width; ++x) {
      out += HalfBlocks[(glass.isDark(x, y) ? 1 : 0) | (glass.isDark(x, y + 1) ? 2 : 0)];
    }
    out += "\u2502\n";
  }
  appendBorder(out, "\u2514", "\u2518");
  return out;
}

}  // namespace om6211::panel
