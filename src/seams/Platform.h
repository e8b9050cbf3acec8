#pragma once

#include "seams/Bus.h"
#include "seams/HostFolder.h"
#include "seams/Pauses.h"
#include "seams/PortIo.h"
#include "seams/SettingsLookup.h"

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
