// The C entry points: check the arguments, lock the display, forward to it, and turn every
// failure into -1 (NULL from om6211_open) with errno and the thread's message set.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <optional>

#include "capi/CallErrors.h"
#include "capi/Display.h"
#include "module/Geometry.h"
#include "om6211/om6211.h"
#include "render/GlyphCodes.h"
#include "render/GlyphTable.h"

struct om6211_display {
  om6211::capi::Display display;
};

namespace {

using om6211::FrameMemory;
using om6211::capi::failWith;
namespace module = om6211::module;

constexpr int Failed = -1;
constexpr int MaxBusDelay = 1'000'000;
constexpr std::size_t RowBytes = (module::Columns + 7) / 8;

// The caller's options over the defaults: a caller built against an older, shorter struct
// gets the defaults of the fields it does not know. False (errno and message set) when one is
// out of range.
bool settingsOf(const om6211_options* options, om6211::capi::DisplaySettings& settings) {
  om6211_options given;
  om6211_options_init(&given);
  if (options != nullptr) {
    if (options->size < sizeof options->size) {
      failWith(EINVAL, "om6211_options.size must be sizeof (struct om6211_options)");
      return false;
    }
    std::memcpy(&given, options, std::min<std::size_t>(options->size, sizeof given));
  }
  if (given.contrast < 0 || given.contrast > 255) {
    failWith(EINVAL, "contrast must be 0-255");
    return false;
  }
  if (given.bus_delay < 0 || given.bus_delay > MaxBusDelay) {
    failWith(EINVAL, "bus_delay must be 0-1000000");
    return false;
  }
  settings = {.contrast = static_cast<uint8_t>(given.contrast),
              .backlight = given.backlight != 0,
              .fullRefresh = given.full_refresh != 0,
              .keep = given.keep != 0,
              .busDelay = given.bus_delay,
              .trace = given.trace};
  return true;
}

template <typename Call>
int onDisplay(om6211_display* display, Call&& call) noexcept {
  if (display == nullptr) {
    failWith(EINVAL, "no display (null pointer)");
    return Failed;
  }
  try {
    const std::lock_guard lock(display->display.mutex());
    return call(display->display);
  } catch (...) {
    om6211::capi::failWithCurrentException();
    return Failed;
  }
}

// Bit (8 * i + j) of `block` moved to bit (8 * j + i): an 8 x 8 bit matrix transposed.
constexpr uint64_t transposed(uint64_t block) {
  uint64_t t = (block ^ (block >> 7)) & 0x00AA00AA00AA00AAull;
  block ^= t ^ (t << 7);
  t = (block ^ (block >> 14)) & 0x0000CCCC0000CCCCull;
  block ^= t ^ (t << 14);
  t = (block ^ (block >> 28)) & 0x00000000F0F0F0F0ull;
  return block ^ t ^ (t << 28);
}

// Rows of pixels, most significant bit leftmost, as the layer's page bytes (bit 0 the top):
// eight rows of one byte column at a time, as one 8 x 8 bit block turned on its side.
FrameMemory::Layer layerOfRows(const uint8_t* rows, std::size_t stride) {
  FrameMemory::Layer picture{};
  for (int page = 0; page < module::Pages; ++page) {
    for (std::size_t byte = 0; byte < RowBytes; ++byte) {
      uint64_t block = 0;  // byte r: the page's row r; bit 7 - c of it: pixel column c
      for (int row = 0; row < module::PageRows; ++row) {
        const std::size_t y = static_cast<std::size_t>(page * module::PageRows + row);
        block |= uint64_t{rows[y * stride + byte]} << (8 * row);
      }
      // Transposed, byte 7 - c holds pixel column c with bit r the row r.
      const uint64_t columns = transposed(block);
      for (int c = 0; c < 8; ++c) {
        const int x = static_cast<int>(byte) * 8 + c;
        if (x >= module::Columns) break;
        picture[FrameMemory::layerIndex(x, page)] = static_cast<uint8_t>(columns >> (8 * (7 - c)));
      }
    }
  }
  return picture;
}

int noPicture() {
  failWith(EINVAL, "no picture (null pointer)");
  return Failed;
}

}  // namespace

extern "C" {

void om6211_options_init(struct om6211_options* options) {
  if (options == nullptr) return;
  *options = {.size = sizeof *options,
              .contrast = 128,
              .backlight = 0,
              .full_refresh = 0,
              .keep = 0,
              .bus_delay = 0,
              .trace = nullptr};
}

om6211_display* om6211_open(const char* port, const struct om6211_options* options) {
  if (port == nullptr) {
    failWith(EINVAL, "no port text (null pointer)");
    return nullptr;
  }
  om6211::capi::DisplaySettings settings;
  if (!settingsOf(options, settings)) return nullptr;
  try {
    return new om6211_display{om6211::capi::Display(port, settings)};
  } catch (...) {
    om6211::capi::failWithCurrentException();
    return nullptr;
  }
}

void om6211_close(om6211_display* display) {
  delete display;
}

int om6211_show(om6211_display* display, const uint8_t pages[504]) {
  if (pages == nullptr) return noPicture();
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    FrameMemory::Layer picture;
    for (int page = 0; page < module::Pages; ++page) {
      for (int x = 0; x < module::Columns; ++x) {
        picture[FrameMemory::layerIndex(x, page)] = pages[page * module::Columns + x];
      }
    }
    shown.show(picture);
    return 0;
  });
}

int om6211_show_rows(om6211_display* display, const uint8_t* rows, size_t stride) {
  if (rows == nullptr) return noPicture();
  if (stride < RowBytes) {
    failWith(EINVAL, "stride must be at least 11 bytes (84 pixels a row)");
    return Failed;
  }
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    shown.show(layerOfRows(rows, stride));
    return 0;
  });
}

int om6211_set_contrast(om6211_display* display, int level) {
  if (level < 0 || level > 255) {
    failWith(EINVAL, "contrast must be 0-255");
    return Failed;
  }
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    shown.setContrast(static_cast<uint8_t>(level));
    return 0;
  });
}

int om6211_set_backlight(om6211_display* display, int on) {
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    shown.setBacklight(on != 0);
    return 0;
  });
}

int om6211_set_inverted(om6211_display* display, int inverted) {
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    shown.setInverted(inverted != 0);
    return 0;
  });
}

int om6211_set_power(om6211_display* display, int on) {
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    shown.setPower(on != 0);
    return 0;
  });
}

int om6211_glass(om6211_display* display, uint8_t pages[504]) {
  if (pages == nullptr) return noPicture();
  return onDisplay(display, [&](om6211::capi::Display& shown) {
    const auto glass = shown.glassPages();
    if (!glass) {
      failWith(ENOTSUP, "the glass is known only on the virtual port");
      return Failed;
    }
    std::copy(glass->begin(), glass->end(), pages);
    return 0;
  });
}

long long om6211_frames_sent(om6211_display* display) {
  long long frames = Failed;
  onDisplay(display, [&](om6211::capi::Display& shown) {
    frames = static_cast<long long>(shown.framesSent());
    return 0;
  });
  return frames;
}

int om6211_glyph(uint32_t character, uint8_t columns[5]) {
  if (columns == nullptr) {
    failWith(EINVAL, "no room for the glyph (null pointer)");
    return Failed;
  }
  const std::optional<uint8_t> code = character == om6211::ReplacementGlyphCode
                                          ? om6211::ReplacementGlyphCode
                                          : om6211::glyphCodeOf(static_cast<char32_t>(character));
  if (!code) {
    failWith(ENOENT, "the display has no glyph for this character");
    return Failed;
  }
  const auto glyph = om6211::glyphFor(*code, om6211::GlyphVariant::Default);
  std::copy(glyph.begin(), glyph.end(), columns);
  return 0;
}

const char* om6211_error(void) {
  return om6211::capi::lastError();
}

const char* om6211_version(void) {
  return OM6211_VERSION;
}

}  // extern "C"
