#include "panel/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace om6211::panel {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb BacklightOff{0x9C, 0xA8, 0x8E};
constexpr Rgb BacklightOn{0xB4, 0xDC, 0x5A};
constexpr Rgb Ink{0x10, 0x18, 0x10};

Rgb blend(Rgb from, Rgb to, double amount) {
  auto channel = [amount](uint8_t a, uint8_t b) {
    return static_cast<uint8_t>(a + (b - a) * amount + 0.5);
  };
  return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

// The rows of the picture, RGB, row after row.
std::vector<uint8_t> render(const Glass& glass, const PngStyle& style) {
  const int scale = style.scale;
  const int width = pngWidth(style);
  const Rgb background = glass.backlight ? BacklightOn : BacklightOff;
  const Rgb gridLine = blend(background, Ink, 0.12);
  const Rgb dark = blend(background, Ink, glass.darkness);
  const bool grid = style.grid && scale >= 3;
  std::vector<uint8_t> image(static_cast<std::size_t>(width) * pngHeight(style) * 3);
  std::size_t at = 0;
  for (int py = 0; py < pngHeight(style); ++py) {
    for (int px = 0; px < width; ++px) {
      const bool onGrid = grid && (px % scale == scale - 1 || py % scale == scale - 1);
      const Rgb color = onGrid                                 ? gridLine
                        : glass.isDark(px / scale, py / scale) ? dark
                                                               : background;
      image[at++] = color.r;
      image[at++] = color.g;
      image[at++] = color.b;
    }
  }
  return image;
}

}  // namespace

int pngWidth(const PngStyle& style) {
  return Glass::Width * style.scale;
}
int pngHeight(const PngStyle& style) {
  return Glass::Height * style.scale;
}

std::optional<std::string> writePng(const Glass& glass, const PngStyle& style, std::FILE* file,
                                    const std::string& name) {
  if (style.scale < 1) return "the scale must be at least 1";
  const std::vector<uint8_t> image = render(glass, style);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return name + ": out of memory";
  }
  std::vector<png_bytep> rows;
  const std::size_t stride = static_cast<std::size_t>(pngWidth(style)) * 3;
  for (int y = 0; y < pngHeight(style); ++y) {
    rows.push_back(const_cast<png_bytep>(image.data() + stride * static_cast<std::size_t>(y)));
  }
  // libpng reports its errors by longjmp; nothing with a destructor is created below.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return name + ": the PNG could not be written";
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pngWidth(style)),
               static_cast<png_uint_32>(pngHeight(style)), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file) != 0) return name + ": " + std::strerror(errno);
  return std::nullopt;
}

std::optional<std::string> writePng(const Glass& glass, const PngStyle& style,
                                    const std::string& path) {
  if (style.scale < 1) return "the scale must be at least 1";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return path + ": " + std::strerror(errno);
  auto problem = writePng(glass, style, file, path);
  if (std::fclose(file) != 0 && !problem) return path + ": " + std::strerror(errno);
  return problem;
}

}  // namespace om6211::panel
