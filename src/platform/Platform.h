#pragma once

#include "platform/Bus.h"
#include "platform/HostFolder.h"
#include "platform/Pauses.h"
#include "platform/PortIo.h"
#include "platform/SettingsLookup.h"

namespace om6211 {

// Everything the driver needs from the machine it runs on. The frames go out on `bus` when
// there is one, else through `port` as a parallel port.
struct Platform {
  PortIo* port;
  Pauses* pauses;
  SettingsLookup* settings;
  HostFolder* hostFolder;
  Bus* bus = nullptr;
};

}  // namespace om6211
