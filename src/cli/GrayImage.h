#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace om6211::cli {

// A picture in grey levels, 0 black to 255 white, row after row.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> levels;

  uint8_t at(int x, int y) const {
    return levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

struct LoadedImage {
  GrayImage image;
  std::optional<std::string> problem;  // "FILE: ..." or "FILE:LINE: ..." when it did not load
};

// Reads a PNG or PBM (P1 or P4) file; transparent PNG pixels count as white.
LoadedImage loadImage(const std::string& path);

// Decodes a PNG or PBM file's contents held in memory; `name` goes into messages.
LoadedImage decodeImage(const std::string& contents, const std::string& name);

// Reads PBM text held in memory; `name` goes into messages.
LoadedImage parsePbm(const std::string& contents, const std::string& name);

}  // namespace om6211::cli
