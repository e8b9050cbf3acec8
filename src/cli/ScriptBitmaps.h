#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/HostBitmap.h"

namespace om6211::cli {

// The bitmaps the graphics lines of a host script name. Each distinct file is read once, when
// the script is checked, and only 4032-byte host bitmaps are kept of it: a file of exactly 4032
// bytes as it is, an image thresholded once for each row stride - each graphics width the
// script can have configured when a call names it.
class ScriptBitmaps {
 public:
  // Reads `path` unless it was read before. Raises UsageError "PATH: problem".
  void load(const std::string& path, const std::vector<int>& strides);
  // The bitmap of a loaded file for the graphics width in effect.
  const HostBitmap& bitmap(const std::string& path, int stride) const;

 private:
  struct FileBitmaps {
    std::optional<HostBitmap> raw;
    std::map<int, HostBitmap> byStride;
  };
  std::unordered_map<std::string, FileBitmaps> files_;
};

}  // namespace om6211::cli
