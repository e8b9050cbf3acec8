#pragma once

#include <cstdint>

namespace om6211::lcdd {

// The code page 1250 code that shows a Latin-1 character: the same letter where the glyph table
// has it, else the letter without its accent. ASCII and codes below it are kept.
uint8_t cp1250CodeOfLatin1(uint8_t code);

}  // namespace om6211::lcdd
