// A driver DLL whose twelve exports load and resolve, but LCD_SetOutputAddress removes only
// one of its two argument slots: the fault a host's stack cannot survive.
#include <windows.h>

#include <cstdint>

extern "C" {

struct GlyphBlock {
  uint8_t bytes[68];
};

void* WINAPI DLL_GetInfo(void* result) {
  return result;
}
void WINAPI LCD_SetIOPropertys(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                               uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                               uint32_t) {}
void WINAPI LCD_Init() {}
void WINAPI LCD_CleanUp() {}
uint8_t WINAPI LCD_IsReadyToReceive() {
  return 1;
}
void WINAPI LCD_SendToController(uint32_t) {}
void WINAPI LCD_SendToMemory(uint32_t) {}
void WINAPI LCD_SendToGfxMemory(const uint8_t*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void WINAPI LCD_SetOutputAddress(int32_t) {}
void WINAPI LCD_SetCGRAMChar(GlyphBlock) {}
uint8_t WINAPI LCD_GetCGRAMChar(uint32_t index) {
  return static_cast<uint8_t>(index);
}
void WINAPI LCD_Customize(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}

}  // extern "C"
