#include "lcdproc/ModuleInstance.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

#include "panel/PngWriter.h"

namespace om6211::lcdd {
namespace {

constexpr int ContrastLevels = 31;  // the highest controller level
constexpr int ContrastLevelStep = 8;

std::FILE* openPicture(const std::string& path) {
  if (path.empty()) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    throw std::runtime_error("cannot write the picture " + path + ": " + std::strerror(errno));
  }
  return file;
}

void reportLine(const std::string& line) {
  std::fprintf(stderr, "om6211: %s\n", line.c_str());
}

// The device of the driver call in progress, whose lines say when it goes away and is back.
thread_local const Reconnector* calling = nullptr;

PortStackOptions stackOptions(const ModuleConfig& config) {
  PortStackOptions options = portStackOptions(
      config.port, config.trace.empty() ? std::nullopt : std::optional(config.trace));
  options.panelOnHardwarePort = false;
  // A display whose device goes away (a USB adapter pulled out) comes back without a restart.
  options.reconnect = reportLine;
  return options;
}

// A frame the port failed to take is dropped (the next flush sends the picture again, after
// bringing the controller back into step); LCDd's log says why, once for a device that went
// away rather than at every flush.
void reportFailure(const char* message) noexcept {
  if (calling != nullptr && calling->told(message)) return;
  std::fprintf(stderr, "om6211: %s\n", message);
}

}  // namespace

uint8_t contrastValueOfPromille(int promille) {
  const int level = (std::clamp(promille, 0, 1000) * ContrastLevels + 500) / 1000;
  return static_cast<uint8_t>(level * ContrastLevelStep);
}

int promilleOfContrastValue(uint8_t value) {
  const int level = value / ContrastLevelStep;
  return (level * 1000 + ContrastLevels / 2) / ContrastLevels;
}

ModuleInstance::ModuleInstance(const ModuleConfig& config)
    : config_(config),
      pngFile_(openPicture(config.png)),
      // Raises PortOpenError, whose message names the fix, when the port cannot be had.
      stack_(config.port, stackOptions(config)),
      // No settings file: it would choose the font of the driver's own text output, and the
      // module composes whole pictures with the composer's font instead.
      driver_(stack_.platform(), reportFailure),
      composer_(config.font, config.charMap),
      backlight_(config.backlight),
      contrastPromille_(promilleOfContrastValue(contrastValueOfPromille(config.contrastPromille))),
      info_("om6211: 84 x 48 graphic display (OM6211 controller), 14 x 6 cells of 6 x 8, on " +
            config.port.description()) {
  const uint32_t driverBase = config.port.base;
  IoProperties properties;
  properties.addressDelay = config.addressDelay;
  properties.busDelay = config.busDelay;
  properties.backlight = config.backlight;
  properties.contrastOn = true;
  properties.contrastValue = contrastValueOfPromille(config.contrastPromille);
  char portText[8];
  std::snprintf(portText, sizeof portText, "%x", driverBase);
  driver_.SetIOPropertys(portText, properties);
  // LCDd flushes its whole frame 8 times a second: only what changed goes on the wire.
  driver_.setRefreshPolicy({RefreshMode::Changed, config.fullRefreshEvery});
  driver_.Init();
  writeTrace();
}

ModuleInstance::~ModuleInstance() {
  try {
    quietly([&] { driver_.CleanUp(); });
  } catch (...) {
    // The display is left as it is; the port is released all the same.
  }
  writeTrace();
}

template <typename Call>
void ModuleInstance::quietly(Call&& call) {
  calling = stack_.reconnector();
  struct Done {
    ~Done() { calling = nullptr; }
  } done;
  try {
    call();
  } catch (const PortFailure& failure) {
    if (calling == nullptr || !calling->told(failure.what())) throw;
  }
}

void ModuleInstance::writeTrace() {
  if (TraceWriter* trace = stack_.trace(); trace && !trace->flush()) {
    std::fprintf(stderr, "om6211: %s\n", trace->problem().c_str());
  }
}

void ModuleInstance::flush() {
  quietly([&] { driver_.showFrame(composer_.picture()); });
  writeTrace();
  if (!pngFile_ || stack_.panel() == nullptr) return;
  const panel::Glass glass = stack_.panel()->glass();
  if (pictured_ && pictured_->dark == glass.dark && pictured_->backlight == glass.backlight &&
      pictured_->darkness == glass.darkness) {
    return;
  }
  pictured_ = glass;
  // The file was opened at init (LCDd may run as another user since): rewrite it in place.
  std::rewind(pngFile_.get());
  if (auto problem = panel::writePng(glass, panel::PngStyle{}, pngFile_.get(), config_.png)) {
    std::fprintf(stderr, "om6211: %s\n", problem->c_str());
  }
  const long length = std::ftell(pngFile_.get());
  if (length > 0 && ::ftruncate(::fileno(pngFile_.get()), length) != 0) {
    std::fprintf(stderr, "om6211: %s: %s\n", config_.png.c_str(), std::strerror(errno));
  }
}

void ModuleInstance::backlight(bool on) {
  if (on == backlight_) return;
  backlight_ = on;
  quietly([&] { driver_.setBacklight(on); });
  writeTrace();
}

void ModuleInstance::setContrast(int promille) {
  const uint8_t value = contrastValueOfPromille(promille);
  quietly([&] { driver_.setContrast(value); });
  contrastPromille_ = promilleOfContrastValue(value);
  writeTrace();
}

std::optional<panel::Glass> ModuleInstance::glass() const {
  if (stack_.panel() == nullptr) return std::nullopt;
  return stack_.panel()->glass();
}

}  // namespace om6211::lcdd
