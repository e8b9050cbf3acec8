#pragma once

#include <string>

#include "driver/Driver.h"
#include "seams/Platform.h"

// Access to the driver behind the exported entry points for programs linked with it (the
// command-line host, tests). Not exported from the Windows library.
namespace om6211::exported {

// Binds the platform of the one driver instance; until then it uses the native platform.
void usePlatform(const Platform& platform);
// Binds the native platform again, as at load.
void useNativePlatform();

// Instead of LCD_Init: continues what an earlier program left on the display, without the
// reset pulse, the start-up picture or the blank. A failure is kept as the entry points keep it.
void continueDisplay();

// The one driver instance, for checks of its state.
const Driver& instance();

// The message of the last failure an entry point absorbed ("" when none since the last
// clear). On Windows the message also goes to the debugger output.
std::string lastFailure();
void clearLastFailure();

}  // namespace om6211::exported
