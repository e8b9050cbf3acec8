#pragma once

// The platform back ends the exported driver starts with.
#if defined(_WIN32)
#include "ports/windows/DlPortIoPort.h"
#include "ports/windows/KernelSleepPauses.h"
#include "ports/windows/ModuleHostFolder.h"
#include "ports/windows/ProfileSettingsLookup.h"

namespace om6211 {
using NativePort = DlPortIoPort;
using NativePauses = KernelSleepPauses;
using NativeSettingsLookup = ProfileSettingsLookup;
using NativeHostFolder = ModuleHostFolder;
}  // namespace om6211
#else
#include "ports/portable/IniFileLookup.h"
#include "ports/portable/ProcessHostFolder.h"
#include "ports/portable/ThreadSleepPauses.h"
#include "ports/portable/UnselectedPort.h"

namespace om6211 {
using NativePort = UnselectedPort;
using NativePauses = ThreadSleepPauses;
using NativeSettingsLookup = IniFileLookup;
using NativeHostFolder = ProcessHostFolder;
}  // namespace om6211
#endif
