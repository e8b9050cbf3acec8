// Drives the LCDd module through a driver record with a call sequence decoded from the input:
// every module function with arbitrary arguments, configurations drawn from the input, and
// close/init cycles in between. The module must neither crash nor leak, and what it reports
// must stay within LCDd's ranges.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "lcdproc/LcddModule.h"

namespace {

constexpr std::size_t MaxCallsPerInput = 64;

std::map<std::string, std::string> config;  // the one section's keys for the current input

const char* configString(const char*, const char* key, int, const char* fallback) {
  const auto value = config.find(key);
  return value == config.end() ? fallback : value->second.c_str();
}
int configHasKey(const char*, const char* key) {
  return static_cast<int>(config.count(key));
}
int storePrivate(LcddRecord* record, void* data) {
  record->private_data = data;
  return 0;
}

[[noreturn]] void finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

void drawConfig(FuzzedDataProvider& input) {
  const char* keys[] = {"Contrast", "Backlight", "BusDelay", "AddressDelay",
                        "Font",     "CharMap",   "Port",     "FullRefreshEvery"};
  config = {{"Port", "virtual"}};
  const int count = input.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < count; ++i) {
    config[input.PickValueInArray(keys)] = input.ConsumeRandomLengthString(12);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  char name[] = "om6211";
  LcddDriverRecord record{};
  record.name = name;
  record.store_private_ptr = storePrivate;
  record.config_get_string = configString;
  record.config_has_key = configHasKey;
  drawConfig(input);
  om6211_init(&record);

  for (std::size_t call = 0; call < MaxCallsPerInput && input.remaining_bytes() > 0; ++call) {
    const int x = input.ConsumeIntegral<int>();
    const int y = input.ConsumeIntegral<int>();
    switch (input.ConsumeIntegralInRange(0, 17)) {
      case 0:
        om6211_clear(&record);
        break;
      case 1:
        om6211_flush(&record);
        break;
      case 2:
        om6211_string(&record, x, y, input.ConsumeRandomLengthString(40).c_str());
        break;
      case 3:
        om6211_chr(&record, x, y, input.ConsumeIntegral<char>());
        break;
      case 4:
        om6211_hbar(&record, x, y, input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                    input.ConsumeIntegral<int>());
        break;
      case 5:
        om6211_vbar(&record, x, y, input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                    input.ConsumeIntegral<int>());
        break;
      case 6:
        om6211_num(&record, x, y);
        break;
      case 7: {
        const int result = om6211_icon(&record, x, y, input.ConsumeIntegral<int>());
        if (result != 0 && result != -1) finding("icon returned neither 0 nor -1");
        break;
      }
      case 8:
        om6211_heartbeat(&record, x);
        break;
      case 9:
        om6211_cursor(&record, x, y, input.ConsumeIntegral<int>());
        break;
      case 10: {
        unsigned char rows[8];
        for (unsigned char& row : rows) row = input.ConsumeIntegral<unsigned char>();
        om6211_set_char(&record, x, rows);
        break;
      }
      case 11:
        om6211_backlight(&record, x);
        break;
      case 12:
        om6211_set_contrast(&record, x);
        break;
      case 13: {
        const int promille = om6211_get_contrast(&record);
        if (promille < 0 || promille > 1000) finding("contrast outside 0-1000");
        break;
      }
      case 14:
        if (om6211_get_info(&record) == nullptr) finding("no information text");
        break;
      case 15:
        om6211_close(&record);
        if (record.private_data != nullptr) finding("close left the instance behind");
        break;
      case 16:
        if (record.private_data == nullptr) {
          drawConfig(input);
          om6211_init(&record);
        }
        break;
      default:
        if (om6211_width(&record) != 14 || om6211_height(&record) != 6) finding("geometry");
        break;
    }
  }
  om6211_close(&record);
  return 0;
}
