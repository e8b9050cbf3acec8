#pragma once

// The platform back ends the exported driver starts with.
#if defined(_WIN32)
#include "platform/windows/DlPortIoPort.h"
#include "platform/windows/KernelSleepPauses.h"
#include "platform/windows/ModuleHostFolder.h"
#include "platform/windows/ProfileSettingsLookup.h"

namespace om6211 {
using NativePort = DlPortIoPort;
using NativePauses = KernelSleepPauses;
using NativeSettingsLookup = ProfileSettingsLookup;
using NativeHostFolder = ModuleHostFolder;
}  // namespace om6211
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
