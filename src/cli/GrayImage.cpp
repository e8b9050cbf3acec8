#include "cli/GrayImage.h"

#include <png.h>

#include <cstring>

#include "cli/CommandLine.h"
#include "cli/InputFile.h"

namespace om6211::cli {
namespace {

// Images larger than this are refused rather than decoded.
constexpr long long MaxPixels = 64LL * 1024 * 1024;

LoadedImage failure(std::string problem) {
  LoadedImage result;
  result.problem = std::move(problem);
  return result;
}

LoadedImage decodePng(const std::string& contents, const std::string& name) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, contents.data(), contents.size())) {
    return failure(name + ": not a readable PNG image (" + png.message + ")");
  }
  if (static_cast<long long>(png.width) * png.height > MaxPixels) {
    png_image_free(&png);
    return failure(name + ": the image is too large");
  }
  png.format = PNG_FORMAT_GA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    const std::string message = png.message;
    png_image_free(&png);
    return failure(name + ": the PNG image is damaged (" + message + ")");
  }
  // Grey and alpha become one level in place, so the decode needs no second full-size buffer.
  const std::size_t count = pixels.size() / 2;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned gray = pixels[2 * i];
    const unsigned alpha = pixels[2 * i + 1];
    pixels[i] = static_cast<uint8_t>((gray * alpha + 255 * (255 - alpha)) / 255);
  }
  pixels.resize(count);
  LoadedImage result;
  result.image.width = static_cast<int>(png.width);
  result.image.height = static_cast<int>(png.height);
  result.image.levels = std::move(pixels);
  return result;
}

// Reads the PBM header and P1 pixels, counting lines for messages.
class PbmScanner {
 public:
  PbmScanner(const std::string& text, const std::string& name) : text_(text), name_(name) {}

  std::string where() const { return name_ + ":" + std::to_string(line_) + ": "; }

  void skipBlanksAndComments() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '#') {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        if (c == '\n') ++line_;
        ++at_;
      } else {
        return;
      }
    }
  }

  std::optional<int> number() {
    skipBlanksAndComments();
    long long value = 0;
    std::size_t digits = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9' && digits < 9) {
      value = value * 10 + (text_[at_++] - '0');
      ++digits;
    }
    if (digits == 0 || (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')) {
      return std::nullopt;
    }
    return static_cast<int>(value);
  }

  // One P1 pixel: '0' or '1', blanks allowed between.
  std::optional<bool> pixel() {
    skipBlanksAndComments();
    if (at_ == text_.size() || (text_[at_] != '0' && text_[at_] != '1')) return std::nullopt;
    return text_[at_++] == '1';
  }

  // After the header's last number exactly one blank precedes the P4 bytes.
  std::size_t rasterStart() const { return at_ + 1; }

 private:
  const std::string& text_;
  const std::string& name_;
  std::size_t at_ = 2;
  int line_ = 1;
};

}  // namespace

LoadedImage parsePbm(const std::string& text, const std::string& name) {
  if (text.size() < 2 || text[0] != 'P' || (text[1] != '1' && text[1] != '4')) {
    return failure(name + ":1: not a PBM image (P1 or P4)");
  }
  const bool raw = text[1] == '4';
  PbmScanner scanner(text, name);
  const std::optional<int> width = scanner.number();
  if (!width || *width < 1) return failure(scanner.where() + "the width is not a positive number");
  const std::optional<int> height = scanner.number();
  if (!height || *height < 1) {
    return failure(scanner.where() + "the height is not a positive number");
  }
  if (static_cast<long long>(*width) * *height > MaxPixels) {
    return failure(scanner.where() + "the image is too large");
  }
  LoadedImage result;
  result.image.width = *width;
  result.image.height = *height;
  result.image.levels.assign(static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height),
                             255);
  if (raw) {
    const std::size_t rowBytes = static_cast<std::size_t>(*width + 7) / 8;
    const std::size_t start = scanner.rasterStart();
    if (start > text.size() || text.size() - start < rowBytes * static_cast<std::size_t>(*height)) {
      return failure(scanner.where() + "the pixel data is shorter than the image");
    }
    for (int y = 0; y < *height; ++y) {
      for (int x = 0; x < *width; ++x) {
        const auto byte = static_cast<uint8_t>(
            text[start + static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8)]);
        if ((byte >> (7 - x % 8)) & 1) {
          result.image.levels[static_cast<std::size_t>(y * *width + x)] = 0;
        }
      }
    }
    return result;
  }
  for (std::size_t i = 0; i < result.image.levels.size(); ++i) {
    const std::optional<bool> black = scanner.pixel();
    if (!black) return failure(scanner.where() + "expected a pixel, 0 or 1");
    if (*black) result.image.levels[i] = 0;
  }
  return result;
}

LoadedImage decodeImage(const std::string& contents, const std::string& name) {
  if (contents.size() >= 8 &&
      png_sig_cmp(reinterpret_cast<png_const_bytep>(contents.data()), 0, 8) == 0) {
    return decodePng(contents, name);
  }
  return parsePbm(contents, name);
}

LoadedImage loadImage(const std::string& path) {
  try {
    return decodeImage(readWholeFile(path), path);
  } catch (const UsageError& error) {
    return failure(error.what());
  }
}

}  // namespace om6211::cli
