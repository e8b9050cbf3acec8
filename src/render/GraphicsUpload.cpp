#include "render/GraphicsUpload.h"

#include <algorithm>
#include <array>

#include "render/DisplayRefresh.h"

namespace om6211 {
namespace {

constexpr int32_t LastLayerColumn = 83;

// Column x is at most 83, a row at most 47 and the stride at most 84, so the largest index is
// 83 + 47 * 84 = 4031: every pixel read lies inside the host bitmap.
uint8_t packPageByte(const std::array<uint8_t, HostBitmapBytes>& bitmap, int32_t stride, int32_t x,
                     int32_t firstRow) {
  uint8_t pageByte = 0;
  for (int32_t bit = 0; bit < RenderSettings::PageHeight; ++bit) {
    if (bitmap[static_cast<std::size_t>(x + (firstRow + bit) * stride)] != 0) pageByte |= 1u << bit;
  }
  return pageByte;
}

}  // namespace

void SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2, uint16_t y2,
                     bool inverted, Controller& controller, RenderSettings& settings,
                     FrameMemory& memory, RefreshScheduler& scheduler) {
  if (bitmap == nullptr) return;
  std::array<uint8_t, HostBitmapBytes> copy;
  std::copy_n(bitmap, copy.size(), copy.begin());

  constexpr int32_t PageHeight = RenderSettings::PageHeight;
  const int32_t lastColumn = std::min<int32_t>(x2, LastLayerColumn);
  // Widened to whole pages; stops at the last page rather than re-packing it from rows
  // beyond the bitmap.
  for (int32_t row = y1 / PageHeight * PageHeight;
       row <= y2 && row / PageHeight < RenderSettings::PageCount; row += PageHeight) {
    const int32_t page = row / PageHeight;
    for (int32_t x = x1; x <= lastColumn; ++x) {
      memory.GraphicsLayer[FrameMemory::layerIndex(x, page)] =
          packPageByte(copy, settings.GraphicsWidth, x, row);
    }
  }
  // Packed before anything is sent, so that a port failure loses no part of the picture.
  scheduler.setDisplayMode(controller, settings, inverted);
  scheduler.refresh(controller, settings, combinedLayers(memory, settings.MixMode));
}

}  // namespace om6211
