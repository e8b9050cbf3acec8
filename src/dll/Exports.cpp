// The exported entry points: decode the argument slots, forward to the one static driver, and
// let no exception through to the host.
#include "dll/Exports.h"

#include <cstring>
#include <exception>

#include "dll/ExportBinding.h"
#include "dll/NativePlatform.h"
#include "driver/Driver.h"

#if defined(_WIN32)
#include <windows.h>

#include "dll/ChosenPort.h"
#include "driver/PortText.h"
#endif

namespace om6211 {
namespace {

constinit NativePort nativePort;
constinit NativePauses nativePauses;
constinit NativeSettingsLookup nativeSettings;
constinit NativeHostFolder nativeHostFolder;
// Fixed storage, so that keeping a message can never fail while handling another failure.
constinit char lastFailureText[512] = {};

// The DLL's one channel to a person: the kept message, and on Windows the debugger output.
void tell(const char* message) noexcept {
  std::strncpy(lastFailureText, message, sizeof lastFailureText - 1);
  lastFailureText[sizeof lastFailureText - 1] = '\0';
#if defined(_WIN32)
  OutputDebugStringA("om6211: ");
  OutputDebugStringA(lastFailureText);
  OutputDebugStringA("\n");
#endif
}

#if defined(_WIN32)
constinit ChosenPort chosenPort{nativePort, tell};
#endif

// A failure's message, unless the adapter's reconnection told it already: an adapter that is
// away makes every call fail, and a person is told once, not once per call.
void keepFailure(const char* message) noexcept {
#if defined(_WIN32)
  if (chosenPort.told(message)) return;
#endif
  tell(message);
}

constexpr Platform nativePlatform{&nativePort, &nativePauses, &nativeSettings, &nativeHostFolder};
constinit Driver driver{nativePlatform, keepFailure};
// Whether the driver drives the machine's own ports, rather than those a program linked with
// it bound.
constinit bool nativeBound = true;

#if defined(_WIN32)
// Binds the port the settings file names, for the host's port text; a text that does not
// convert is left to the driver, which refuses it as ever.
void bindChosenPort(const char* portText) {
  if (!nativeBound || portText == nullptr) return;
  uint32_t portBase = 0;
  try {
    portBase = parsePortText(portText);
  } catch (const ConversionError&) {
    return;
  }
  const std::string value =
      nativeSettings.lookup(driver.settingsFilePath(), Driver::SettingsSection, "Port", "");
  driver.usePlatform(chosenPort.choose(value, portBase, nativePlatform));
}
#endif

template <typename Call>
void guarded(Call&& call) noexcept {
  try {
    call();
  } catch (const std::exception& failure) {
    keepFailure(failure.what());
  } catch (...) {
    keepFailure("unknown failure");
  }
}

constexpr uint8_t lowByte(uint32_t slot) {
  return static_cast<uint8_t>(slot);
}
constexpr uint16_t low16(uint32_t slot) {
  return static_cast<uint16_t>(slot);
}
constexpr bool isTrue(uint32_t slot) {
  return lowByte(slot) != 0;
}

}  // namespace

namespace exported {

void usePlatform(const Platform& platform) {
  nativeBound = false;
  driver.usePlatform(platform);
}
void useNativePlatform() {
  nativeBound = true;
  driver.usePlatform(nativePlatform);
}
void continueDisplay() {
  guarded([] { driver.continueDisplay(); });
}
const Driver& instance() {
  return driver;
}
std::string lastFailure() {
  return lastFailureText;
}
void clearLastFailure() {
  lastFailureText[0] = '\0';
}

}  // namespace exported
}  // namespace om6211

using om6211::driver;
using om6211::guarded;

extern "C" {

Om6211DriverInfo* OM6211_STDCALL DLL_GetInfo(Om6211DriverInfo* result) {
  static_assert(sizeof(Om6211DriverInfo) == std::tuple_size_v<om6211::DriverInfoBytes>);
  guarded([&] {
    if (result == nullptr) return;
    const om6211::DriverInfoBytes record = om6211::Driver::GetInfo();
    std::memcpy(result, record.data(), record.size());
  });
  return result;
}

void OM6211_STDCALL LCD_SetIOPropertys(const char* port, int32_t addressDelay, int32_t busDelay,
                                       int32_t textColumns, int32_t textRows, int32_t graphicsWidth,
                                       int32_t graphicsHeight, uint32_t backlight,
                                       uint32_t /*unused9*/, uint32_t contrastOn,
                                       uint32_t contrastValue, uint32_t /*unused12*/,
                                       uint32_t /*unused13*/, uint32_t /*unused14*/) {
  guarded([&] {
#if defined(_WIN32)
    om6211::bindChosenPort(port);
#endif
    driver.SetIOPropertys(port, {.addressDelay = addressDelay,
                                 .busDelay = busDelay,
                                 .textColumns = textColumns,
                                 .textRows = textRows,
                                 .graphicsWidth = graphicsWidth,
                                 .graphicsHeight = graphicsHeight,
                                 .backlight = om6211::isTrue(backlight),
                                 .contrastOn = om6211::isTrue(contrastOn),
                                 .contrastValue = om6211::lowByte(contrastValue)});
  });
}

void OM6211_STDCALL LCD_Init(void) {
  guarded([] { driver.Init(); });
}

void OM6211_STDCALL LCD_CleanUp(void) {
  guarded([] { driver.CleanUp(); });
}

uint8_t OM6211_STDCALL LCD_IsReadyToReceive(void) {
  return 1;
}

void OM6211_STDCALL LCD_SendToController(uint32_t /*ignored*/) {}

void OM6211_STDCALL LCD_SendToMemory(uint32_t code) {
  guarded([&] { driver.SendToMemory(om6211::lowByte(code)); });
}

void OM6211_STDCALL LCD_SendToGfxMemory(const uint8_t* bitmap, uint32_t x1, uint32_t y1,
                                        uint32_t x2, uint32_t y2, uint32_t inverted) {
  guarded([&] {
    driver.SendToGfxMemory(bitmap, om6211::low16(x1), om6211::low16(y1), om6211::low16(x2),
                           om6211::low16(y2), om6211::isTrue(inverted));
  });
}

void OM6211_STDCALL LCD_SetOutputAddress(int32_t column, int32_t row) {
  guarded([&] { driver.SetOutputAddress(column, row); });
}

void OM6211_STDCALL LCD_SetCGRAMChar(Om6211GlyphBlock block) {
  guarded([&] {
    om6211::CustomGlyphBlock bytes;
    std::memcpy(bytes.data(), block.bytes, bytes.size());
    driver.SetCGRAMChar(bytes);
  });
}

uint8_t OM6211_STDCALL LCD_GetCGRAMChar(uint32_t index) {
  return om6211::lowByte(index);
}

void OM6211_STDCALL LCD_Customize(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}

}  // extern "C"
