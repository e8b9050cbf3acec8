#pragma once

#include <cstdint>
#include <memory>

#include "ports/ftdi/FtdiBitbangPort.h"
#include "ports/ftdi/FtdiConfig.h"
#include "ports/ftdi/FtdiMpsseBus.h"
#include "ports/ftdi/FtdiTransport.h"

namespace om6211 {

// An opened FTDI adapter: exactly one of the two is set. In bit-bang mode the driver's port
// writes become pin states (bind the port as the driver's port, configured for `portBase`); in
// MPSSE mode the frames go out on the bus (bind it as the driver's bus).
struct FtdiConnection {
  std::unique_ptr<FtdiBitbangPort> port;
  std::unique_ptr<FtdiMpsseBus> bus;
};

// Opens the adapter `config` names through `transport`, which must outlive the connection. In
// the automatic mode the chip decides: MPSSE where it has one and the clock and data lines are
// wired to lines 0 and 1, else bit-bang. Raises PortOpenError, leaving nothing open, when the
// adapter cannot be had; the message names the fix and carries the transport's own.
FtdiConnection openFtdi(const FtdiConfig& config, uint32_t portBase, FtdiTransport& transport);
// The same, the connection owning the transport.
FtdiConnection openFtdi(const FtdiConfig& config, uint32_t portBase,
                        std::unique_ptr<FtdiTransport> transport);

}  // namespace om6211
