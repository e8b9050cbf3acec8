// Drives the C library's calls with call sequences and arguments decoded from the input, on the
// virtual panel, and checks after every picture that the glass shows it. One display lives
// from input to input, as in a program that runs for days; an input may reopen it with other
// options (only the virtual and null ports: nothing real is ever opened).
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "om6211/om6211.h"

namespace {

using Pages = std::array<uint8_t, OM6211_PAGE_BYTES>;

constexpr std::size_t MaxCallsPerInput = 32;
// An input ends once its calls have sent this many frames: a whole picture is 504 and more.
constexpr long long FramesPerInput = 800;

struct State {
  om6211_display* display = nullptr;
  bool virtualPort = false;
  Pages shown{};
  bool pictureKnown = false;  // `shown` is what the glass should show when on and normal
  bool on = true;
  bool inverted = false;
};
State state;

void reopen(FuzzedDataProvider& input) {
  om6211_close(state.display);
  om6211_options options;
  om6211_options_init(&options);
  options.contrast = input.ConsumeIntegralInRange(-2, 258);
  options.backlight = input.ConsumeIntegral<int>();
  options.full_refresh = input.ConsumeBool();
  options.keep = input.ConsumeBool();
  options.bus_delay = input.ConsumeIntegralInRange(-1, 3);
  if (input.ConsumeBool()) options.size = input.ConsumeIntegralInRange(0u, 64u);
  const bool null = input.ConsumeBool();
  const std::string port = (null ? "null" : "virtual") + input.ConsumeRandomLengthString(6);
  state.display = om6211_open(port.c_str(), &options);
  state.virtualPort = state.display != nullptr && !null;
  state.pictureKnown = !options.keep;  // blank after a power-up
  state.shown.fill(0);
  state.on = true;
  state.inverted = false;
  if (state.display == nullptr) {  // options or port refused: the defaults on the panel
    state.display = om6211_open("virtual", nullptr);
    state.virtualPort = true;
    state.pictureKnown = true;
  }
}

void checkGlass() {
  Pages glass{};
  const int result = om6211_glass(state.display, glass.data());
  if (!state.virtualPort) {
    if (result != -1) std::abort();  // only the virtual port has a glass
    return;
  }
  if (result != 0) std::abort();
  if (!state.pictureKnown) return;
  Pages expected{};
  if (state.on) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
      expected[i] = state.inverted ? uint8_t(~state.shown[i]) : state.shown[i];
    }
  }
  if (glass != expected) std::abort();
}

void changePicture(FuzzedDataProvider& input, Pages& picture) {
  const int changes = input.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < changes; ++i) {
    picture[input.ConsumeIntegralInRange<std::size_t>(0, picture.size() - 1)] =
        input.ConsumeIntegral<uint8_t>();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  unsetenv("OM6211_FAIL_PORT_OPERATION");
  state.display = om6211_open("virtual", nullptr);
  state.virtualPort = true;
  state.pictureKnown = true;
  return state.display == nullptr ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const long long framesBefore = om6211_frames_sent(state.display);
  bool reopened = false;
  for (std::size_t call = 0; call < MaxCallsPerInput && input.remaining_bytes() > 0; ++call) {
    if (om6211_frames_sent(state.display) - framesBefore > FramesPerInput) break;
    switch (input.ConsumeIntegralInRange(0, 9)) {
      case 0: {
        Pages picture = state.shown;
        changePicture(input, picture);
        if (om6211_show(state.display, picture.data()) != 0) std::abort();
        state.shown = picture;
        state.pictureKnown = true;
        break;
      }
      case 1: {
        const std::size_t stride = input.ConsumeIntegralInRange<std::size_t>(0, 16);
        std::vector<uint8_t> rows(48 * stride + 1);
        for (uint8_t& byte : rows) byte = input.ConsumeIntegral<uint8_t>() & 0x01 ? 0xFF : 0x00;
        const int result = om6211_show_rows(state.display, rows.data(), stride);
        if ((result == 0) != (stride >= 11)) std::abort();
        if (result != 0) break;
        state.shown.fill(0);
        for (int y = 0; y < 48; ++y) {
          for (int x = 0; x < 84; ++x) {
            if (rows[std::size_t(y) * stride + std::size_t(x / 8)] >> (7 - x % 8) & 1) {
              state.shown[std::size_t(y / 8 * 84 + x)] |= uint8_t(1 << (y % 8));
            }
          }
        }
        state.pictureKnown = true;
        break;
      }
      case 2: {
        const int level = input.ConsumeIntegralInRange(-3, 260);
        if ((om6211_set_contrast(state.display, level) == 0) != (level >= 0 && level <= 255)) {
          std::abort();
        }
        break;
      }
      case 3:
        if (om6211_set_backlight(state.display, input.ConsumeIntegral<int>()) != 0) std::abort();
        break;
      case 4: {
        const int inverted = input.ConsumeIntegral<int>();
        if (om6211_set_inverted(state.display, inverted) != 0) std::abort();
        state.inverted = inverted != 0;
        break;
      }
      case 5: {
        const int on = input.ConsumeIntegral<int>();
        if (om6211_set_power(state.display, on) != 0) std::abort();
        state.on = on != 0;
        break;
      }
      case 6: {
        uint8_t columns[5];
        om6211_glyph(input.ConsumeIntegral<uint32_t>(), columns);
        break;
      }
      case 7:
        // Opening powers the display up, the dearest call by far: once an input at most.
        if (!reopened && input.ConsumeIntegralInRange(0, 63) == 0) {
          reopen(input);
          reopened = true;
        }
        break;
      case 8:
        checkGlass();
        break;
      default:
        if (om6211_frames_sent(state.display) < 0 || om6211_version()[0] == '\0') std::abort();
        break;
    }
    if (std::strlen(om6211_error()) > 4096) std::abort();
  }
  checkGlass();
  return 0;
}
