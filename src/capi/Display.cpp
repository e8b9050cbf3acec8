#include "capi/Display.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "capi/AbsorbedFailure.h"
#include "panel/Glass.h"
#include "seams/PortIo.h"

namespace om6211::capi {

Display::Display(std::string_view portText, const DisplaySettings& settings)
    : port_(portText, settings.trace),
      countingBus_(port_.bus()),
      driver_(port_.platform(countingBus_), noteAbsorbedFailure) {
  char baseText[16];
  std::snprintf(baseText, sizeof baseText, "%X", static_cast<unsigned>(port_.portBase()));
  driver_.SetIOPropertys(baseText, {.addressDelay = settings.busDelay,
                                    .busDelay = settings.busDelay,
                                    .backlight = settings.backlight,
                                    .contrastOn = true,
                                    .contrastValue = settings.contrast});
  driver_.setRefreshPolicy(settings.fullRefresh ? RefreshPolicy{RefreshMode::Full}
                                                : RefreshPolicy{RefreshMode::Changed, 32});
  if (settings.keep) {
    driver_.continueDisplay();
  } else {
    driver_.Init();
  }
  finishCall();
}

Display::~Display() {
  if (TraceWriter* trace = port_.trace()) trace->flush();
}

void Display::finishCall() {
  const std::optional<std::string> absorbed = takeAbsorbedFailure();
  TraceWriter* const trace = port_.trace();
  const bool written = trace == nullptr || trace->flush();
  // A device that went away is reopened by a later call; until then the program is told so.
  if (absorbed && port_.awayDevice() != nullptr)
    throw std::system_error(ENODEV, std::generic_category(), *absorbed);
  if (absorbed) throw PortFailure(*absorbed);
  if (!written) throw PortFailure(trace->problem());
}

void Display::show(const FrameMemory::Layer& picture) {
  driver_.showFrame(picture);
  finishCall();
}

void Display::setContrast(uint8_t level) {
  driver_.setContrast(level);
  finishCall();
}

void Display::setBacklight(bool on) {
  driver_.setBacklight(on);
  finishCall();
}

void Display::setInverted(bool inverted) {
  driver_.setInverted(inverted);
  finishCall();
}

void Display::setPower(bool on) {
  driver_.setGlassOn(on);
  finishCall();
}

std::optional<std::array<uint8_t, module::RamBytes>> Display::glassPages() const {
  const panel::VirtualPanel* panel = port_.glass();
  if (panel == nullptr) return std::nullopt;
  const panel::Glass glass = panel->glass();
  std::array<uint8_t, module::RamBytes> pages{};
  for (int y = 0; y < module::Rows; ++y) {
    for (int x = 0; x < module::Columns; ++x) {
      const bool dark = glass.dark[static_cast<std::size_t>(x + y * module::Columns)];
      pages[static_cast<std::size_t>(y / module::PageRows * module::Columns + x)] |=
          static_cast<uint8_t>(unsigned{dark} << (y % module::PageRows));
    }
  }
  return pages;
}

}  // namespace om6211::capi
