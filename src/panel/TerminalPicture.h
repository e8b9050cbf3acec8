#pragma once

#include <string>

#include "panel/Glass.h"

namespace om6211::panel {

// The glass as UTF-8 text in a box: one character line per two pixel rows, each character an
// upper half block, a lower half block, a full block or a blank. A display that is off, or a
// dark backlight, shows no differently: the terminal has one ink.
std::string terminalPicture(const Glass& glass);

}  // namespace om6211::panel
