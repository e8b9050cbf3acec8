#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dll/EntryPoint.h"

namespace om6211::cli {

// The driver calls a host script can make, one per entry point, each written as its exported
// name (exportedName).
using ScriptCommand = EntryPoint;

// One checked script line, ready to be made into a call.
struct ScriptCall {
  std::size_t line = 0;
  ScriptCommand command = ScriptCommand::GetInfo;
  // The numeric arguments in the order written, each already in its 32-bit slot form.
  std::vector<uint32_t> numbers;
  // The port text of LCD_SetIOPropertys or the bitmap file of LCD_SendToGfxMemory.
  std::string text;
  // The 64 pattern bytes of LCD_SetCGRAMChar.
  std::array<uint8_t, 64> pattern{};
};

struct ScriptError {
  std::size_t line = 0;
  std::string message;
};

struct ParsedScript {
  std::vector<ScriptCall> calls;
  std::optional<ScriptError> error;  // the first problem found; `calls` is then incomplete
};

// Checks a host script line by line, in order, handing each call and its source line (without
// its line end) to `consume`; stops at the first problem and returns it. A leading UTF-8
// byte-order mark is skipped. Files named by the script are not opened here.
std::optional<ScriptError> forEachHostCall(
    std::string_view text,
    const std::function<void(const ScriptCall& call, std::string_view line)>& consume);

// The whole script as a list of calls; nothing is run.
ParsedScript parseHostScript(std::string_view text);

}  // namespace om6211::cli
