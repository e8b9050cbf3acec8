#include "ports/windows/DlPortIoPort.h"

#include <windows.h>

// The two calls of DLPORTIO.DLL the driver uses; the import library comes from dlportio.def.
extern "C" {
__declspec(dllimport) void WINAPI DlPortWritePortUchar(ULONG port, UCHAR value);
__declspec(dllimport) UCHAR WINAPI DlPortReadPortUchar(ULONG port);
}

namespace om6211 {

void DlPortIoPort::write(uint32_t port, uint8_t value) {
  DlPortWritePortUchar(port, value);
}

uint8_t DlPortIoPort::read(uint32_t port) {
  return DlPortReadPortUchar(port);
}

}  // namespace om6211
