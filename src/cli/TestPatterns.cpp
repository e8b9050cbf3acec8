#include "cli/TestPatterns.h"

#include "module/Geometry.h"

namespace om6211::cli {
namespace {

constexpr int Width = module::Columns;
constexpr int Height = module::Rows;

struct Pattern {
  std::string_view name;
  bool (*lit)(int x, int y);
};

constexpr Pattern Patterns[] = {
    {"border", [](int x, int y) { return x == 0 || y == 0 || x == Width - 1 || y == Height - 1; }},
    {"checker", [](int x, int y) { return (x + y) % 2 == 0; }},
    {"all-on", [](int, int) { return true; }},
    {"all-off", [](int, int) { return false; }},
    {"columns", [](int x, int) { return x % 2 == 0; }},
    {"pages", [](int, int y) { return y % module::PageRows <= y / module::PageRows; }},
};

}  // namespace

std::optional<HostBitmap> patternBitmap(std::string_view name) {
  for (const Pattern& pattern : Patterns) {
    if (pattern.name != name) continue;
    HostBitmap bitmap{};
    for (int y = 0; y < Height; ++y) {
      for (int x = 0; x < Width; ++x) {
        bitmap[static_cast<std::size_t>(x + y * Width)] = pattern.lit(x, y) ? 1 : 0;
      }
    }
    return bitmap;
  }
  return std::nullopt;
}

}  // namespace om6211::cli
