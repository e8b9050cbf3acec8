#include "cli/ScriptBitmaps.h"

#include <cstring>

#include "cli/CommandLine.h"
#include "cli/GrayImage.h"
#include "cli/InputFile.h"

namespace om6211::cli {

void ScriptBitmaps::load(const std::string& path, const std::vector<int>& strides) {
  if (files_.count(path) != 0) return;
  FileBitmaps bitmaps;
  const std::string contents = readWholeFile(path);
  if (contents.size() == std::tuple_size_v<HostBitmap>) {
    bitmaps.raw.emplace();
    std::memcpy(bitmaps.raw->data(), contents.data(), contents.size());
  } else {
    const LoadedImage loaded = decodeImage(contents, path);
    if (loaded.problem) throw UsageError(*loaded.problem);
    for (int stride : strides) bitmaps.byStride[stride] = toHostBitmap(loaded.image, stride, false);
  }
  files_.emplace(path, std::move(bitmaps));
}

const HostBitmap& ScriptBitmaps::bitmap(const std::string& path, int stride) const {
  const FileBitmaps& bitmaps = files_.at(path);
  return bitmaps.raw ? *bitmaps.raw : bitmaps.byStride.at(stride);
}

}  // namespace om6211::cli
