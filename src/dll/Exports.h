/* The twelve entry points of the driver, as the host application calls them. On 32-bit x86
   they use stdcall: arguments pushed right to left, one 4-byte slot each at least, removed by
   the callee. Byte, boolean and 16-bit arguments are declared as whole slots and the driver
   reads only their low 8 or 16 bits, so garbage a caller leaves in the rest does no harm. */
#ifndef OM6211_EXPORTS_H
#define OM6211_EXPORTS_H

#include <stdint.h>

#if defined(__i386__) || defined(_M_IX86)
#define OM6211_STDCALL __attribute__((stdcall))
#else
#define OM6211_STDCALL
#endif

#if defined(_WIN32)
#define OM6211_API
#else
#define OM6211_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The 264-byte identification record: text, then eight host-defined bytes. */
typedef struct Om6211DriverInfo {
  char text[256];
  uint8_t constants[8];
} Om6211DriverInfo;

/* The custom glyph block, passed by value: index, 8 x 8 pattern column by column, fill. */
typedef struct Om6211GlyphBlock {
  uint8_t bytes[68];
} Om6211GlyphBlock;

/* Returns the record through the caller's storage, as a function returning it by value does:
   the pointer is the only slot, and it comes back as the result. */
OM6211_API Om6211DriverInfo* OM6211_STDCALL DLL_GetInfo(Om6211DriverInfo* result);
OM6211_API void OM6211_STDCALL LCD_SetIOPropertys(const char* port, int32_t addressDelay,
                                                  int32_t busDelay, int32_t textColumns,
                                                  int32_t textRows, int32_t graphicsWidth,
                                                  int32_t graphicsHeight, uint32_t backlight,
                                                  uint32_t unused9, uint32_t contrastOn,
                                                  uint32_t contrastValue, uint32_t unused12,
                                                  uint32_t unused13, uint32_t unused14);
OM6211_API void OM6211_STDCALL LCD_Init(void);
OM6211_API void OM6211_STDCALL LCD_CleanUp(void);
OM6211_API uint8_t OM6211_STDCALL LCD_IsReadyToReceive(void);
OM6211_API void OM6211_STDCALL LCD_SendToController(uint32_t ignored);
OM6211_API void OM6211_STDCALL LCD_SendToMemory(uint32_t code);
OM6211_API void OM6211_STDCALL LCD_SendToGfxMemory(const uint8_t* bitmap, uint32_t x1, uint32_t y1,
                                                   uint32_t x2, uint32_t y2, uint32_t inverted);
OM6211_API void OM6211_STDCALL LCD_SetOutputAddress(int32_t column, int32_t row);
OM6211_API void OM6211_STDCALL LCD_SetCGRAMChar(Om6211GlyphBlock block);
OM6211_API uint8_t OM6211_STDCALL LCD_GetCGRAMChar(uint32_t index);
OM6211_API void OM6211_STDCALL LCD_Customize(uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                                             uint32_t e);

#ifdef __cplusplus
}
#endif

#endif
