#include "reliability/FaultSession.h"

#include <cstdlib>

namespace om6211::reliability {
namespace {

struct Geometry {
  int32_t columns;
  int32_t rows;
  int32_t width;
  int32_t height;
};

std::vector<SessionCall> sessionFor(Geometry geometry) {
  std::vector<SessionCall> calls;
  calls.push_back({EntryPoint::SetIOPropertys, "configure", [geometry](Driver& driver) {
                     driver.SetIOPropertys("378", {.addressDelay = 1,
                                                   .busDelay = 0,
                                                   .textColumns = geometry.columns,
                                                   .textRows = geometry.rows,
                                                   .graphicsWidth = geometry.width,
                                                   .graphicsHeight = geometry.height,
                                                   .backlight = true,
                                                   .contrastOn = true,
                                                   .contrastValue = 200});
                   }});
  calls.push_back({EntryPoint::Init, "init", [](Driver& driver) { driver.Init(); }});
  for (int32_t row = 0; row < geometry.rows; ++row) {
    calls.push_back({EntryPoint::SetOutputAddress, "address row " + std::to_string(row),
                     [row](Driver& driver) { driver.SetOutputAddress(0, row); }});
    for (int32_t column = 0; column < geometry.columns; ++column) {
      const uint8_t code = sessionCharacter(column, row, geometry.columns);
      calls.push_back({EntryPoint::SendToMemory,
                       "character " + std::to_string(column) + " of row " + std::to_string(row),
                       [code](Driver& driver) { driver.SendToMemory(code); }});
    }
  }
  calls.push_back({EntryPoint::SendToGfxMemory, "graphic", [geometry](Driver& driver) {
                     const auto bitmap = sessionBitmap();
                     driver.SendToGfxMemory(bitmap.data(), 0, 0,
                                            static_cast<uint16_t>(geometry.width - 1),
                                            static_cast<uint16_t>(geometry.height - 1), true);
                   }});
  calls.push_back({EntryPoint::CleanUp, "clean-up", [](Driver& driver) { driver.CleanUp(); }});
  return calls;
}

}  // namespace

uint64_t faultSweepStride() {
  const char* text = std::getenv("OM6211_FAULT_SWEEP_STRIDE");
  const uint64_t stride = text != nullptr ? std::strtoull(text, nullptr, 10) : 1;
  return stride > 0 ? stride : 1;
}

uint8_t sessionCharacter(int32_t column, int32_t row, int32_t columns) {
  return static_cast<uint8_t>('A' + (row * columns + column) % 26);
}

std::array<uint8_t, HostBitmapBytes> sessionBitmap() {
  std::array<uint8_t, HostBitmapBytes> bitmap{};
  for (std::size_t i = 0; i < bitmap.size(); ++i) bitmap[i] = (i % 7) < 3;
  return bitmap;
}

std::vector<SessionCall> workingSession() {
  return sessionFor({8, 4, 48, 32});
}

std::vector<SessionCall> fullDisplaySession() {
  return sessionFor({14, 6, 84, 48});
}

}  // namespace om6211::reliability
