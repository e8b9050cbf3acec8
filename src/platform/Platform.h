#pragma once

#include "platform/HostFolder.h"
#include "platform/Pauses.h"
#include "platform/PortIo.h"
#include "platform/SettingsLookup.h"

namespace om6211 {

// Everything the driver needs from the machine it runs on.
struct Platform {
  PortIo* port;
  Pauses* pauses;
  SettingsLookup* settings;
  HostFolder* hostFolder;
};

}  // namespace om6211
