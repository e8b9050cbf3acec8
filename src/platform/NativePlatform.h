#pragma once

// The platform back ends the exported driver starts with.
#if defined(_WIN32)
#error "the Windows back ends are not built yet"
#else
#include "platform/IniFileLookup.h"
#include "platform/ProcessHostFolder.h"
#include "platform/ThreadSleepPauses.h"
#include "platform/UnselectedPort.h"

namespace om6211 {
using NativePort = UnselectedPort;
using NativePauses = ThreadSleepPauses;
using NativeSettingsLookup = IniFileLookup;
using NativeHostFolder = ProcessHostFolder;
}  // namespace om6211
#endif
