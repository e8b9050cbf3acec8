#include "driver/Driver.h"

#include <exception>

#include "driver/PortText.h"
#include "driver/RefreshSetting.h"
#include "render/DisplayRefresh.h"
#include "render/GraphicsUpload.h"

namespace om6211 {
namespace {

#if defined(_WIN32)
constexpr const char* SettingsFileBelowHost = "\\controller\\OM6211\\settings.ini";
#else
constexpr const char* SettingsFileBelowHost = "/controller/OM6211/settings.ini";
#endif

constexpr const char* SettingsSection = "init";
constexpr uint8_t BacklightOnBits = 0xF0;

// Runs an output operation, handing the message of any failure to `report` instead of the
// caller: a failed character, refresh or upload is dropped and the host is never told.
template <typename Work>
void absorbingFailures(Work&& work, Driver::FailureReport report) noexcept {
  try {
    work();
  } catch (const std::exception& failure) {
    if (report != nullptr) report(failure.what());
  } catch (...) {
    if (report != nullptr) report("unknown failure");
  }
}

}  // namespace

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
  settings_.BacklightBits = properties.backlight ? BacklightOnBits : 0;

  const std::string file = settingsFilePath();
  SettingsLookup& lookup = *platform_.settings;
  settings_.FontName = lookup.lookup(file, SettingsSection, "TextFont", "Default");
  settings_.MixMode = lookup.lookup(file, SettingsSection, "Text+GraphicsDisplayMode", "XOR");
  scheduler_.setPolicy(
      refreshPolicyFromSettings(lookup.lookup(file, SettingsSection, "RefreshMode", "Full"),
                                lookup.lookup(file, SettingsSection, "FullRefreshEvery", "32")));
  // The port, the geometry or the module itself may have changed.
  shadow_.forget();

  settings_.GraphicsWidth =
      clampedGeometry(properties.graphicsWidth, DriverSettings::MaxGraphicsWidth);
  settings_.GraphicsHeight =
      clampedGeometry(properties.graphicsHeight, DriverSettings::MaxGraphicsHeight);
  settings_.TextColumns = clampedGeometry(properties.textColumns, DriverSettings::MaxTextColumns);
  settings_.TextRows = clampedGeometry(properties.textRows, DriverSettings::MaxTextRows);

  withController([&](Controller& controller) {
    controller.sendContrast(properties.contrastOn, properties.contrastValue);
  });
  settings_.ContrastValue = properties.contrastValue;
  settings_.ContrastOn = properties.contrastOn;
}

void Driver::Init() {
  // The start-up picture is shown once after loading; the built-in one needs the whole display.
  StartupPicture picture = StartupPicture::None;
  if (settings_.FirstInitPending) {
    const bool wholeDisplay = settings_.GraphicsWidth == DriverSettings::MaxGraphicsWidth &&
                              settings_.GraphicsHeight == DriverSettings::MaxGraphicsHeight;
    picture = wholeDisplay ? StartupPicture::Splash : StartupPicture::AllPixelsOn;
  }
  withController([&](Controller& controller) { controller.Init(picture); });
  settings_.FirstInitPending = false;
}

void Driver::CleanUp() {
  withController([](Controller& controller) { controller.CleanUp(); });
  shadow_.forget();  // powered down: the RAM may not survive
}

void Driver::SetOutputAddress(int32_t column, int32_t row) {
  withController(
      [&](Controller& controller) { scheduler_.moveCursor(column, row, controller, settings_); });
}

void Driver::SendToMemory(uint8_t code, FailureReport report) noexcept {
  absorbingFailures(
      [&] {
        withController([&](Controller& controller) {
          om6211::SendToMemory(code, controller, settings_, memory_, scheduler_);
        });
      },
      report);
}

void Driver::SendToGfxMemory(const uint8_t* bitmap, uint16_t x1, uint16_t y1, uint16_t x2,
                             uint16_t y2, bool inverted, FailureReport report) noexcept {
  absorbingFailures(
      [&] {
        withController([&](Controller& controller) {
          om6211::SendToGfxMemory(bitmap, x1, y1, x2, y2, inverted, controller, settings_, memory_,
                                  scheduler_);
        });
      },
      report);
}

void Driver::showFrame(const FrameMemory::Layer& picture, FailureReport report) noexcept {
  // A failed frame is dropped; the next one sends the picture again.
  absorbingFailures(
      [&] {
        withController(
            [&](Controller& controller) { scheduler_.refresh(controller, settings_, picture); });
      },
      report);
}

void Driver::setBacklight(bool on) {
  settings_.BacklightBits = on ? BacklightOnBits : 0;
  withController([](Controller& controller) { controller.link().writeRestingLines(); });
}

void Driver::setContrast(uint8_t contrastValue) {
  withController([&](Controller& controller) { controller.sendContrast(true, contrastValue); });
  settings_.ContrastOn = true;
  settings_.ContrastValue = contrastValue;
}

void Driver::SetCGRAMChar(const CustomGlyphBlock& block) {
  om6211::SetCGRAMChar(block, memory_);
}

}  // namespace om6211
