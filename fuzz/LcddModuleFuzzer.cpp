// Drives the LCDd module through a driver record with a call sequence decoded from the input:
// every module function with arbitrary arguments, configurations drawn from the input, and
// close/init cycles in between. The module must neither crash nor leak, what it reports must
// stay within LCDd's ranges, and it must open with every configuration its reader accepts.
// As in an LCDd that runs for days, the module stays open from input to input: every input's
// configuration goes through the module's reader, and an input that finds the module closed
// opens it with that configuration (an opening sends over a thousand frames).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/PortSelection.h"
#include "lcdproc/LcddModule.h"
#include "lcdproc/ModuleConfig.h"

namespace {

using namespace om6211;

constexpr std::size_t MaxCallsPerInput = 32;

// The keys of the one section and their values for the current input. Values are at most 12
// characters, so that drawing them allocates nothing: an input that ends with more blocks
// allocated than it started with is checked for leaks, which costs more than the input.
constexpr std::array<const char*, 8> Keys = {
    "Contrast", "Backlight", "BusDelay", "AddressDelay",
    "Font",     "CharMap",   "Port",     "FullRefreshEvery"};
constexpr std::size_t PortKey = 6;
constexpr std::size_t MaxValueLength = 12;
std::array<std::optional<std::string>, Keys.size()> config;

const std::optional<std::string>* valueOf(std::string_view key) {
  for (std::size_t i = 0; i < Keys.size(); ++i) {
    if (key == Keys[i]) return &config[i];
  }
  return nullptr;
}
char name[] = "om6211";
LcddDriverRecord record{};  // the server's record of the one module section

const char* configString(const char*, const char* key, int, const char* fallback) {
  const auto* value = valueOf(key);
  return value != nullptr && *value ? (*value)->c_str() : fallback;
}
int configHasKey(const char*, const char* key) {
  const auto* value = valueOf(key);
  return value != nullptr && *value ? 1 : 0;
}
int storePrivate(LcddRecord* drvthis, void* data) {
  drvthis->private_data = data;
  return 0;
}

// The module functions an input calls, and how many of every 128 calls go to each: LCDd draws
// widgets and flushes the frame many times a second, and closes a module once.
enum class Call : uint8_t {
  Clear,
  Flush,
  String,
  Chr,
  Hbar,
  Vbar,
  Num,
  Icon,
  Heartbeat,
  Cursor,
  SetChar,
  Backlight,
  SetContrast,
  GetContrast,
  GetInfo,
  Close,
  Geometry,
};
constexpr std::array<uint8_t, 17> CallWeights = {6, 16, 16, 12, 10, 10, 8, 10, 6,
                                                 6, 8,  4,  4,  2,  3,  1, 6};
static_assert(std::accumulate(CallWeights.begin(), CallWeights.end(), 0) == 128);

Call drawCall(FuzzedDataProvider& input) {
  unsigned pick = input.ConsumeIntegralInRange(0u, 127u);
  std::size_t index = 0;
  while (pick >= CallWeights[index]) pick -= CallWeights[index++];
  return static_cast<Call>(index);
}

[[noreturn]] void finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

bool namesHardware(const std::string& portText) {
  try {
    return parsePortSelection(portText).isHardware();
  } catch (const PortSelectionError&) {
    return false;
  }
}

// Draws the section's keys from the input. The port stays the virtual panel: a fuzz run must
// never open a real port, and "direct:378" is within reach of a mutation.
void drawConfig(FuzzedDataProvider& input) {
  config.fill(std::nullopt);
  config[PortKey] = "virtual";
  const int count = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) {
    const std::size_t key = input.ConsumeIntegralInRange<std::size_t>(0, Keys.size() - 1);
    std::string value = input.ConsumeRandomLengthString(MaxValueLength);
    value.resize(std::min(value.size(), value.find('\0')));  // LCDd's values are C strings
    if (key == PortKey && namesHardware(value)) value = "virtual";
    config[key] = std::move(value);
  }
}

// Whether the module's reader accepts the drawn section.
bool configAccepted() {
  try {
    lcdd::readModuleConfig([](std::string_view key) {
      const auto* value = valueOf(key);
      return value != nullptr ? *value : std::nullopt;
    });
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  record.name = name;
  record.store_private_ptr = storePrivate;
  record.config_get_string = configString;
  record.config_has_key = configHasKey;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  drawConfig(input);
  const bool accepted = configAccepted();
  if (record.private_data == nullptr) {
    // A section the module refuses must fail its init, and the input's calls still go to an
    // open module, on the plain virtual port.
    if (om6211_init(&record) == 0) {
      if (!accepted) finding("init accepted a section the module's reader refuses");
    } else {
      if (accepted) finding("init refused a section the module's reader accepts");
      config.fill(std::nullopt);
      config[PortKey] = "virtual";
      if (om6211_init(&record) != 0) finding("init refused the plain virtual port");
    }
  }

  for (std::size_t call = 0; call < MaxCallsPerInput && input.remaining_bytes() > 0; ++call) {
    const int x = input.ConsumeIntegral<int>();
    const int y = input.ConsumeIntegral<int>();
    switch (drawCall(input)) {
      case Call::Clear:
        om6211_clear(&record);
        break;
      case Call::Flush:
        om6211_flush(&record);
        break;
      case Call::String:
        om6211_string(&record, x, y, input.ConsumeRandomLengthString(40).c_str());
        break;
      case Call::Chr:
        om6211_chr(&record, x, y, input.ConsumeIntegral<char>());
        break;
      case Call::Hbar:
        om6211_hbar(&record, x, y, input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                    input.ConsumeIntegral<int>());
        break;
      case Call::Vbar:
        om6211_vbar(&record, x, y, input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                    input.ConsumeIntegral<int>());
        break;
      case Call::Num:
        om6211_num(&record, x, y);
        break;
      case Call::Icon: {
        const int result = om6211_icon(&record, x, y, input.ConsumeIntegral<int>());
        if (result != 0 && result != -1) finding("icon returned neither 0 nor -1");
        break;
      }
      case Call::Heartbeat:
        om6211_heartbeat(&record, x);
        break;
      case Call::Cursor:
        om6211_cursor(&record, x, y, input.ConsumeIntegral<int>());
        break;
      case Call::SetChar: {
        unsigned char rows[8];
        for (unsigned char& row : rows) row = input.ConsumeIntegral<unsigned char>();
        om6211_set_char(&record, x, rows);
        break;
      }
      case Call::Backlight:
        om6211_backlight(&record, x);
        break;
      case Call::SetContrast:
        om6211_set_contrast(&record, x);
        break;
      case Call::GetContrast: {
        const int promille = om6211_get_contrast(&record);
        if (promille < 0 || promille > 1000) finding("contrast outside 0-1000");
        break;
      }
      case Call::GetInfo:
        if (om6211_get_info(&record) == nullptr) finding("no information text");
        break;
      case Call::Close:
        om6211_close(&record);
        if (record.private_data != nullptr) finding("close left the instance behind");
        break;
      case Call::Geometry:
        if (om6211_width(&record) != 14 || om6211_height(&record) != 6) finding("geometry");
        break;
    }
  }
  return 0;
}
