#include "driver/Driver.h"

#include <exception>

#include "driver/PortText.h"
#include "driver/RefreshSetting.h"
#include "module/ControllerCommands.h"
#include "module/Db25Wiring.h"
#include "render/DisplayRefresh.h"
#include "render/GraphicsUpload.h"

namespace om6211 {
namespace {

#if defined(_WIN32)
constexpr const char* SettingsFileBelowHost = "\\controller\\OM6211\\settings.ini";
#else
constexpr const char* SettingsFileBelowHost = "/controller/OM6211/settings.ini";
#endif

}  // namespace

template <typename Work>
void Driver::absorbingFailures(Work&& work) noexcept {
  try {
    work();
  } catch (const std::exception& failure) {
    if (report_ != nullptr) report_(failure.what());
  } catch (...) {
    if (report_ != nullptr) report_("unknown failure");
  }
}

Bus& Driver::boundBus() {
  if (platform_.bus != nullptr) return *platform_.bus;
  portBus_.bind(*platform_.port, settings_.PortBase);
  return portBus_;
}

void Driver::reportAbsorbed(const Bus& bus, uint64_t absorbedBefore) const noexcept {
  if (report_ != nullptr && bus.absorbedFailures().count() != absorbedBefore) {
    report_(bus.absorbedFailures().latest().c_str());
  }
}

void Driver::bringIntoStep(Controller& controller) {
  if (displayOn_) {
    // The picture restored covers the whole RAM when the refreshed region does: then clearing
    // it first would only double the cost.
    const bool regionIsWholeRam = settings_.TextRows == DriverSettings::MaxTextRows &&
                                  settings_.GraphicsWidth == DriverSettings::MaxGraphicsWidth;
    controller.powerUp(!regionIsWholeRam);
    scheduler_.restore(controller, settings_);
    if (!glassOn_) controller.link().SendCommand(command::DisplayOff, settings_.BusDelay);
  } else {
    controller.pulseReset();
  }
  resyncDue_ = false;
}

std::string Driver::settingsFilePath() const {
  // Without the host's folder there is no settings file: the path below nothing would name a
  // file at the root of the current drive, which is not the host's.
  const std::string folder = platform_.hostFolder->path();
  if (folder.empty()) return {};
  // The folder keeps its trailing separator, so the separator doubles; the file lookup does
  // not mind.
  return folder + SettingsFileBelowHost;
}

void Driver::SetIOPropertys(const char* portText, const IoProperties& properties) {
  if (portText == nullptr) throw ConversionError("no port text given (null pointer)");
  settings_.PortBase = parsePortText(portText);
  settings_.BusDelay = properties.busDelay;
  settings_.AddressDelay = properties.addressDelay;
  settings_.BacklightBits = properties.backlight ? module::db25::BacklightBits : 0;

  const std::string file = settingsFilePath();
  SettingsLookup& lookup = *platform_.settings;
  settings_.FontName = lookup.lookup(file, SettingsSection, "TextFont", "Default");
  settings_.MixMode = lookup.lookup(file, SettingsSection, "Text+GraphicsDisplayMode", "XOR");
  scheduler_.setPolicy(
      refreshPolicyFromSettings(lookup.lookup(file, SettingsSection, "RefreshMode", "Full"),
                                lookup.lookup(file, SettingsSection, "FullRefreshEvery", "32")));
  // The port, the geometry or the module itself may have changed.
  shadow_.forget();
  // Kept even if sending them fails: the contrast the next initialisation sends.
  settings_.ContrastValue = properties.contrastValue;
  settings_.ContrastOn = properties.contrastOn;

  settings_.GraphicsWidth =
      clampedGeometry(properties.graphicsWidth, DriverSettings::MaxGraphicsWidth);
  settings_.GraphicsHeight =
      clampedGeometry(properties.graphicsHeight, DriverSettings::MaxGraphicsHeight);
  settings_.TextColumns = clampedGeometry(properties.textColumns, DriverSettings::MaxTextColumns);
  settings_.TextRows = clampedGeometry(properties.textRows, DriverSettings::MaxTextRows);

  withController([&](Controller& controller) {
    controller.sendContrast(properties.contrastOn, properties.contrastValue);
  });
}

void Driver::Init() {
  // The start-up picture is shown once after loading; the built-in one needs the whole display.
  StartupPicture picture = StartupPicture::None;
  if (settings_.FirstInitPending) {
    const bool wholeDisplay = settings_.GraphicsWidth == DriverSettings::MaxGraphicsWidth &&
                              settings_.GraphicsHeight == DriverSettings::MaxGraphicsHeight;
    picture = wholeDisplay ? StartupPicture::Splash : StartupPicture::AllPixelsOn;
  }
  // The initialisation is itself what brings the controller back into step.
  resyncDue_ = false;
  displayOn_ = true;
  glassOn_ = true;
  scheduler_.noteBlankDisplay();
  withController([&](Controller& controller) { controller.Init(picture); });
  settings_.FirstInitPending = false;
}

void Driver::continueDisplay() {
  resyncDue_ = false;
  displayOn_ = true;
  glassOn_ = true;
  settings_.FirstInitPending = false;
  shadow_.forget();
  scheduler_.noteBlankDisplay();
  withController([&](Controller& controller) {
    controller.resume();
    // The mode the earlier program left is unknown: the driver's own goes out.
    scheduler_.setDisplayMode(controller, settings_, false);
  });
}

void Driver::CleanUp() {
  displayOn_ = false;
  withController([](Controller& controller) { controller.CleanUp(); });
  shadow_.forget();  // powered down: the RAM may not survive
}

void Driver::SetOutputAddress(int32_t column, int32_t row) {
  withController(
      [&](Controller& controller) { scheduler_.moveCursor(column, row, controller, settings_); });
}

void Driver::SendToMemory(uint8_t code) noexcept {
  absorbingFailures([&] {
    withController([&](Controller& controller) {
      om6211::SendToMemory(code, controller, settings_, memory_, scheduler_);
    });
  });
}

void Driver::SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2,
                             uint16_t y2, bool inverted) noexcept {
  absorbingFailures([&] {
    withController([&](Controller& controller) {
      om6211::SendToGfxMemory(bitmap, x1, y1, x2, y2, inverted, controller, settings_, memory_,
                              scheduler_);
    });
  });
}

void Driver::showFrame(const FrameMemory::Layer& picture) noexcept {
  // A failed frame is dropped; the next one sends the picture again.
  absorbingFailures([&] {
    withController(
        [&](Controller& controller) { scheduler_.refresh(controller, settings_, picture); });
  });
}

void Driver::setBacklight(bool on) {
  settings_.BacklightBits = on ? module::db25::BacklightBits : 0;
  withController([](Controller& controller) { controller.link().holdRestingLines(); });
}

void Driver::setContrast(uint8_t contrastValue) {
  settings_.ContrastOn = true;
  settings_.ContrastValue = contrastValue;
  withController([&](Controller& controller) { controller.sendContrast(true, contrastValue); });
}

void Driver::setInverted(bool inverted) {
  withController(
      [&](Controller& controller) { scheduler_.setDisplayMode(controller, settings_, inverted); });
}

void Driver::setGlassOn(bool on) {
  glassOn_ = on;
  withController([&](Controller& controller) {
    controller.link().SendCommand(on ? command::DisplayOn : command::DisplayOff,
                                  settings_.BusDelay);
  });
}

void Driver::SetCGRAMChar(const CustomGlyphBlock& block) {
  om6211::SetCGRAMChar(block, memory_);
}

}  // namespace om6211
