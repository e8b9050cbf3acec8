#include "cli/HostBitmap.h"

#include <algorithm>
#include <vector>

#include "module/Geometry.h"

namespace om6211::cli {

GrayImage fitWithin(const GrayImage& image, int boxWidth, int boxHeight) {
  if (image.width <= boxWidth && image.height <= boxHeight) return image;
  // Output pixel (x, y) averages the source pixels whose centres fall inside its footprint.
  const double factor = std::max(static_cast<double>(image.width) / boxWidth,
                                 static_cast<double>(image.height) / boxHeight);
  GrayImage fitted;
  fitted.width = std::clamp(static_cast<int>(image.width / factor), 1, boxWidth);
  fitted.height = std::clamp(static_cast<int>(image.height / factor), 1, boxHeight);
  fitted.levels.resize(static_cast<std::size_t>(fitted.width * fitted.height));
  for (int y = 0; y < fitted.height; ++y) {
    const int top = static_cast<int>(y * factor);
    const int bottom =
        std::max(top + 1, std::min(image.height, static_cast<int>((y + 1) * factor)));
    for (int x = 0; x < fitted.width; ++x) {
      const int left = static_cast<int>(x * factor);
      const int right =
          std::max(left + 1, std::min(image.width, static_cast<int>((x + 1) * factor)));
      unsigned long sum = 0;
      for (int sy = top; sy < bottom; ++sy) {
        for (int sx = left; sx < right; ++sx) sum += image.at(sx, sy);
      }
      const auto count = static_cast<unsigned long>((bottom - top) * (right - left));
      fitted.levels[static_cast<std::size_t>(y * fitted.width + x)] =
          static_cast<uint8_t>((sum + count / 2) / count);
    }
  }
  return fitted;
}

HostBitmap toHostBitmap(const GrayImage& image, int width, bool dither) {
  const GrayImage fitted = fitWithin(image, width, module::Rows);
  const int left = (width - fitted.width) / 2;
  const int top = (module::Rows - fitted.height) / 2;
  HostBitmap bitmap{};
  // Floyd-Steinberg: each pixel's rounding error is passed on to its unvisited neighbours.
  std::vector<int> levels(fitted.levels.begin(), fitted.levels.end());
  auto spread = [&](int x, int y, int error, int sixteenths) {
    if (x < 0 || x >= fitted.width || y >= fitted.height) return;
    levels[static_cast<std::size_t>(y * fitted.width + x)] += error * sixteenths / 16;
  };
  for (int y = 0; y < fitted.height; ++y) {
    for (int x = 0; x < fitted.width; ++x) {
      const int level = levels[static_cast<std::size_t>(y * fitted.width + x)];
      const bool lit = level < 128;
      bitmap[static_cast<std::size_t>(left + x + (top + y) * width)] = lit ? 1 : 0;
      if (!dither) continue;
      const int error = level - (lit ? 0 : 255);
      spread(x + 1, y, error, 7);
      spread(x - 1, y + 1, error, 3);
      spread(x, y + 1, error, 5);
      spread(x + 1, y + 1, error, 1);
    }
  }
  return bitmap;
}

}  // namespace om6211::cli
