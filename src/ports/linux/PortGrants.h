#pragma once

#include "ports/linux/SystemCalls.h"

namespace om6211 {

// Direct access to I/O ports (ioperm), shared by every direct port open in the process: two
// ports both read the delay port 0x220, and may overlap in their registers. Each I/O port
// counts its holders, and access is withdrawn only from the I/O ports nobody holds any more,
// so that closing one port never takes away what another still uses.

// Like ioperm(from, count, 1); on success each I/O port of the range has one holder more.
int holdPorts(SystemCalls& calls, unsigned long from, unsigned long count);

// Gives up one hold on each I/O port of the range (held with holdPorts) and withdraws access
// from those left without a holder.
void releasePorts(SystemCalls& calls, unsigned long from, unsigned long count);

}  // namespace om6211
