#include "lcdproc/LcddModule.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "lcdproc/ModuleInstance.h"

const char* api_version = "0.5";
int stay_in_foreground = 0;
int supports_multiple = 1;
const char* symbol_prefix = "om6211_";

namespace {

using om6211::lcdd::ModuleInstance;
using om6211::lcdd::PictureComposer;

ModuleInstance* instanceOf(LcddRecord* drvthis) {
  return drvthis == nullptr ? nullptr : static_cast<ModuleInstance*>(drvthis->private_data);
}

const char* sectionOf(LcddRecord* drvthis) {
  return drvthis->name != nullptr ? drvthis->name : "om6211";
}

int64_t nowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Runs `work` on the instance, if there is one; nothing it raises leaves the module.
template <typename Work>
void withInstance(LcddRecord* drvthis, Work&& work) noexcept {
  try {
    if (ModuleInstance* instance = instanceOf(drvthis)) work(*instance);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "om6211: %s\n", failure.what());
  } catch (...) {
    std::fprintf(stderr, "om6211: unexpected failure\n");
  }
}

om6211::lcdd::ModuleConfig readConfig(LcddRecord* drvthis) {
  const char* section = sectionOf(drvthis);
  return om6211::lcdd::readModuleConfig(
      [drvthis, section](std::string_view key) -> std::optional<std::string> {
        const std::string name(key);
        if (drvthis->config_has_key == nullptr || drvthis->config_get_string == nullptr ||
            drvthis->config_has_key(section, name.c_str()) <= 0) {
          return std::nullopt;
        }
        // The server's text lives only until its next configuration call.
        const char* value = drvthis->config_get_string(section, name.c_str(), 0, "");
        return std::string(value != nullptr ? value : "");
      });
}

}  // namespace

int om6211_init(LcddRecord* drvthis) {
  if (drvthis == nullptr) return -1;
  try {
    const om6211::lcdd::ModuleConfig config = readConfig(drvthis);
    auto instance = std::make_unique<ModuleInstance>(config);
    if (drvthis->store_private_ptr == nullptr ||
        drvthis->store_private_ptr(drvthis, instance.get()) < 0) {
      std::fprintf(stderr, "om6211: [%s] the server refused the module's private data\n",
                   sectionOf(drvthis));
      return -1;
    }
    instance.release();
    return 0;
  } catch (const om6211::lcdd::ConfigError& bad) {
    std::fprintf(stderr, "om6211: [%s] %s=%s: %s\n", sectionOf(drvthis), bad.key.c_str(),
                 bad.value.c_str(), bad.what());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "om6211: [%s] %s\n", sectionOf(drvthis), failure.what());
  } catch (...) {
    std::fprintf(stderr, "om6211: [%s] init failed\n", sectionOf(drvthis));
  }
  return -1;
}

void om6211_close(LcddRecord* drvthis) {
  ModuleInstance* instance = instanceOf(drvthis);
  if (instance == nullptr) return;
  delete instance;  // the destructor runs the clean-up sequence and absorbs its failures
  if (drvthis->store_private_ptr != nullptr) drvthis->store_private_ptr(drvthis, nullptr);
  drvthis->private_data = nullptr;
}

int om6211_width(LcddRecord*) {
  return PictureComposer::Columns;
}
int om6211_height(LcddRecord*) {
  return PictureComposer::Rows;
}
int om6211_cellwidth(LcddRecord*) {
  return PictureComposer::CellWidth;
}
int om6211_cellheight(LcddRecord*) {
  return PictureComposer::CellHeight;
}
int om6211_get_free_chars(LcddRecord*) {
  return PictureComposer::CustomCharCount;
}

void om6211_clear(LcddRecord* drvthis) {
  withInstance(drvthis, [](ModuleInstance& m) { m.composer().clear(); });
}

void om6211_flush(LcddRecord* drvthis) {
  withInstance(drvthis, [](ModuleInstance& m) { m.flush(); });
}

void om6211_string(LcddRecord* drvthis, int x, int y, const char* text) {
  withInstance(drvthis, [&](ModuleInstance& m) { m.composer().string(x, y, text); });
}

void om6211_chr(LcddRecord* drvthis, int x, int y, char c) {
  withInstance(drvthis,
               [&](ModuleInstance& m) { m.composer().chr(x, y, static_cast<uint8_t>(c)); });
}

void om6211_hbar(LcddRecord* drvthis, int x, int y, int len, int promille, int pattern) {
  withInstance(drvthis,
               [&](ModuleInstance& m) { m.composer().hbar(x, y, len, promille, pattern); });
}

void om6211_vbar(LcddRecord* drvthis, int x, int y, int len, int promille, int pattern) {
  withInstance(drvthis,
               [&](ModuleInstance& m) { m.composer().vbar(x, y, len, promille, pattern); });
}

void om6211_num(LcddRecord* drvthis, int x, int num) {
  withInstance(drvthis, [&](ModuleInstance& m) { m.composer().num(x, num); });
}

int om6211_icon(LcddRecord* drvthis, int x, int y, int icon) {
  int result = -1;
  withInstance(drvthis,
               [&](ModuleInstance& m) { result = m.composer().icon(x, y, icon) ? 0 : -1; });
  return result;
}

void om6211_heartbeat(LcddRecord* drvthis, int state) {
  withInstance(drvthis,
               [&](ModuleInstance& m) { m.composer().heartbeat(state, nowMilliseconds()); });
}

void om6211_cursor(LcddRecord* drvthis, int x, int y, int type) {
  withInstance(drvthis,
               [&](ModuleInstance& m) { m.composer().cursor(x, y, type, nowMilliseconds()); });
}

void om6211_set_char(LcddRecord* drvthis, int n, unsigned char* data) {
  if (data == nullptr) return;
  withInstance(drvthis, [&](ModuleInstance& m) {
    uint8_t rows[PictureComposer::CellHeight];
    for (int i = 0; i < PictureComposer::CellHeight; ++i) rows[i] = data[i];
    m.composer().setChar(n, rows);
  });
}

void om6211_backlight(LcddRecord* drvthis, int on) {
  withInstance(drvthis, [&](ModuleInstance& m) { m.backlight(on != 0); });
}

int om6211_get_contrast(LcddRecord* drvthis) {
  int promille = 0;
  withInstance(drvthis, [&](ModuleInstance& m) { promille = m.contrast(); });
  return promille;
}

void om6211_set_contrast(LcddRecord* drvthis, int promille) {
  withInstance(drvthis, [&](ModuleInstance& m) { m.setContrast(promille); });
}

const char* om6211_get_info(LcddRecord* drvthis) {
  const char* info = "om6211";
  withInstance(drvthis, [&](ModuleInstance& m) { info = m.info(); });
  return info;
}
