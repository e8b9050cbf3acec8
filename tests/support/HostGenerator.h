#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "driver/Driver.h"

namespace om6211::testing {

enum class CallKind { Configure, Init, CleanUp, Address, Text, Graphics, Glyph, Picture };

struct HostCall {
  HostCall(CallKind kind, std::function<void(Driver&)> apply)
      : kind(kind), apply(std::move(apply)) {}

  CallKind kind;
  std::function<void(Driver&)> apply;
  bool inverted = false;           // of a graphics upload
  std::string settingsFile;        // of a configuration, in the changed mode
  uint32_t fullRefreshEvery = 32;  // what that file asks for
};

// Generates host calls: configurations with any geometry, mixing and re-sync interval,
// initialisations, clean-ups, screens of text of which a few cells change, stray addresses
// and characters, graphics uploads of small changes, custom glyphs and composed pictures.
class HostGenerator {
 public:
  explicit HostGenerator(uint32_t seed) : rng_(seed) {}

  std::vector<HostCall> next(const DriverSettings& geometry) {
    const int choice = pick(0, 99);
    if (choice < 5) return {configure()};
    if (choice < 10) return {{CallKind::Init, [](Driver& d) { d.Init(); }}};
    if (choice < 12) return {{CallKind::CleanUp, [](Driver& d) { d.CleanUp(); }}};
    if (choice < 50) return screen(geometry);
    if (choice < 58) return stray();
    if (choice < 80) return graphics(geometry);
    if (choice < 85) return glyph();
    return picture();
  }
  HostCall configure() {
    static const char* const mixes[] = {"XOR", "OR", "AND"};
    static const char* const modes[] = {"Changed", "changed", "CHANGED"};
    static const char* const intervals[] = {"0", "1", "3", "32", "x", "-2"};
    const std::string every = intervals[pick(0, 5)];
    const std::string common = std::string("[init]\nText+GraphicsDisplayMode=") + mixes[pick(0, 2)];
    const IoProperties properties{.textColumns = pick(0, 1) ? 0 : pick(1, 16),
                                  .textRows = pick(0, 1) ? 0 : pick(1, 7),
                                  .graphicsWidth = pick(0, 1) ? 0 : pick(1, 90),
                                  .graphicsHeight = pick(0, 1) ? 0 : pick(16, 48),
                                  .backlight = pick(0, 1) == 1};
    HostCall call{CallKind::Configure,
                  [properties](Driver& d) { d.SetIOPropertys("378", properties); }};
    call.settingsFile =
        common + "\nRefreshMode=" + modes[pick(0, 2)] + "\nFullRefreshEvery=" + every + "\n";
    call.fullRefreshEvery = every == "x" || every == "-2" ? 32 : std::stoul(every);
    return call;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

  std::vector<HostCall> screen(const DriverSettings& geometry) {
    static const uint8_t codes[] = {' ', 'A', 'B', 'x', 0, 1, 0x1F, 0xC9};
    for (int changes = pick(0, 3); changes > 0; --changes) {
      cells_[static_cast<std::size_t>(pick(0, 83))] = codes[pick(0, 7)];
    }
    std::vector<HostCall> calls;
    for (int32_t row = 0; row < geometry.TextRows; ++row) {
      calls.push_back({CallKind::Address, [row](Driver& d) { d.SetOutputAddress(0, row); }});
      for (int32_t column = 0; column < geometry.TextColumns; ++column) {
        const uint8_t code = cells_[static_cast<std::size_t>(row * 14 + column)];
        calls.push_back({CallKind::Text, [code](Driver& d) { d.SendToMemory(code); }});
      }
    }
    return calls;
  }
  std::vector<HostCall> stray() {
    const int32_t column = pick(-1, 15);
    const int32_t row = pick(-1, 7);
    std::vector<HostCall> calls{
        {CallKind::Address, [=](Driver& d) { d.SetOutputAddress(column, row); }}};
    for (int n = pick(1, 3); n > 0; --n) {
      calls.push_back({CallKind::Text, [](Driver& d) { d.SendToMemory('S'); }});
    }
    return calls;
  }
  std::vector<HostCall> graphics(const DriverSettings& geometry) {
    const int width = geometry.GraphicsWidth;
    const int x1 = pick(0, width - 1);
    const int x2 = std::min(width - 1, x1 + pick(0, 20));
    const int y1 = pick(0, 47);
    const int y2 = std::min(47, y1 + pick(0, 12));
    for (int n = pick(1, 6); n > 0; --n) {
      bitmap_[static_cast<std::size_t>(pick(x1, x2) + pick(y1, y2) * width)] ^= 1;
    }
    if (pick(0, 4) == 0) inverted_ = !inverted_;
    HostCall call{CallKind::Graphics,
                  [bitmap = bitmap_, x1, y1, x2, y2, inv = inverted_](Driver& d) {
                    d.SendToGfxMemory(bitmap.data(), uint16_t(x1), uint16_t(y1), uint16_t(x2),
                                      uint16_t(y2), inv);
                  }};
    call.inverted = inverted_;
    return {call};
  }
  std::vector<HostCall> glyph() {
    CustomGlyphBlock block{};
    block[0] = static_cast<uint8_t>(pick(0, 1));
    for (std::size_t i = 1; i < 49; ++i) block[i] = static_cast<uint8_t>(pick(0, 1));
    return {{CallKind::Glyph, [block](Driver& d) { d.SetCGRAMChar(block); }}};
  }
  std::vector<HostCall> picture() {
    // Mostly a few bytes change; now and then all of them.
    const bool everything = pick(0, 5) == 0;
    for (int n = everything ? 504 : pick(1, 8); n > 0; --n) {
      picture_[static_cast<std::size_t>(everything ? n - 1 : pick(0, 503))] =
          static_cast<uint8_t>(pick(0, 255));
    }
    return {{CallKind::Picture, [frame = picture_](Driver& d) { d.showFrame(frame); }}};
  }

  std::mt19937 rng_;
  std::array<uint8_t, 84> cells_{};
  std::array<uint8_t, 84 * 48> bitmap_{};
  FrameMemory::Layer picture_{};
  bool inverted_ = false;
};

}  // namespace om6211::testing
