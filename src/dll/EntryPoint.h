#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace om6211 {

// The twelve exported entry points (Exports.h), in the order of the host interface.
enum class EntryPoint : uint8_t {
  GetInfo,
  SetIOPropertys,
  Init,
  CleanUp,
  IsReadyToReceive,
  SendToController,
  SendToMemory,
  SendToGfxMemory,
  SetOutputAddress,
  SetCGRAMChar,
  GetCGRAMChar,
  Customize,
};

inline constexpr std::size_t EntryPointCount = 12;

// The exported names, in the order of the enumeration.
inline constexpr std::array<std::string_view, EntryPointCount> EntryPointNames = {
    "DLL_GetInfo",          "LCD_SetIOPropertys",   "LCD_Init",         "LCD_CleanUp",
    "LCD_IsReadyToReceive", "LCD_SendToController", "LCD_SendToMemory", "LCD_SendToGfxMemory",
    "LCD_SetOutputAddress", "LCD_SetCGRAMChar",     "LCD_GetCGRAMChar", "LCD_Customize",
};

constexpr std::string_view exportedName(EntryPoint entryPoint) {
  return EntryPointNames[static_cast<std::size_t>(entryPoint)];
}

static_assert(static_cast<std::size_t>(EntryPoint::Customize) + 1 == EntryPointCount);

}  // namespace om6211
