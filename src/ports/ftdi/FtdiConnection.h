#pragma once

#include <cstdint>
#include <memory>

#include "host/FtdiSelection.h"
#include "ports/ftdi/FtdiBitbangPort.h"
#include "ports/ftdi/FtdiCalls.h"
#include "ports/ftdi/FtdiMpsseBus.h"

namespace om6211 {

// An opened FTDI adapter: exactly one of the two is set. In bit-bang mode the driver's port
// writes become pin states (bind the port as the driver's port, configured for `portBase`); in
// MPSSE mode the frames go out on the bus (bind it as the driver's bus).
struct FtdiConnection {
  std::unique_ptr<FtdiBitbangPort> port;
  std::unique_ptr<FtdiMpsseBus> bus;
};

// Opens the adapter `selection` names through `calls`, which must outlive the connection. In
// the automatic mode the chip decides: MPSSE where it has one and the clock and data lines are
// wired to lines 0 and 1, else bit-bang. Raises PortOpenError, leaving nothing open, when the
// adapter cannot be had; the message names the fix and carries libftdi's own.
FtdiConnection openFtdi(const FtdiSelection& selection, uint32_t portBase, FtdiCalls& calls);
// The same, the connection owning the calls.
FtdiConnection openFtdi(const FtdiSelection& selection, uint32_t portBase,
                        std::unique_ptr<FtdiCalls> calls);
// The same through libftdi itself (library om6211_libftdi).
FtdiConnection openFtdi(const FtdiSelection& selection, uint32_t portBase);

}  // namespace om6211
