#include "capi/Display.h"

#include <cstdio>

#include "capi/AbsorbedFailure.h"
#include "panel/Glass.h"
#include "seams/PortIo.h"

namespace om6211::capi {

Display::Display(std::string_view portText, const DisplaySettings& settings)
    : port_(openDisplayPort(portText, settings.trace)),
      countingBus_(*port_->bus),
      driver_(Platform{nullptr, &*port_->pauses, &noSettings_, &noHostFolder_, &countingBus_},
              noteAbsorbedFailure) {
  char baseText[16];
  std::snprintf(baseText, sizeof baseText, "%X", static_cast<unsigned>(port_->base));
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
  if (port_->trace) port_->trace->flush();
}

void Display::finishCall() {
  const std::optional<std::string> absorbed = takeAbsorbedFailure();
  const bool written = !port_->trace || port_->trace->flush();
  if (absorbed) throw PortFailure(*absorbed);
  if (!written) throw PortFailure(port_->trace->problem());
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
  if (!port_->panelIsTheGlass) return std::nullopt;
  const panel::Glass glass = port_->panel->glass();
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
