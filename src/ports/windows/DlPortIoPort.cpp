#include "ports/windows/DlPortIoPort.h"

#include <windows.h>

#include <string>

// DLPORTIO.DLL is bound at run time (LoadLibraryA, GetProcAddress) rather than imported. A DLL
// that imports it does not load at all where it is missing (64-bit Windows has no driver for
// it, and users of an FTDI adapter never install it), and the host cannot tell why. MinGW's
// delay-load imports would load it lazily too, but a missing library then raises a structured
// exception that no C++ handler catches; binding it here lets the first port operation fail
// as any port failure does, with a message naming the library.
namespace om6211 {
namespace {

constexpr const char* Library = "DLPORTIO.DLL";
constexpr const char* Remedy =
    ": install the DLPORTIO port I/O driver for the parallel port (its installer puts "
    "DLPORTIO.DLL in the system folder), or name an FTDI adapter with Port=ftdi: in section "
    "[init] of settings.ini";

template <typename Call>
Call resolved(HMODULE library, const char* name) {
  const FARPROC address = GetProcAddress(library, name);
  if (address == nullptr) {
    throw PortFailure(std::string(Library) + " has no " + name + Remedy);
  }
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

void DlPortIoPort::bind() {
  const HMODULE library = LoadLibraryA(Library);
  if (library == nullptr) {
    throw PortFailure(std::string(Library) + " cannot be loaded (Windows error " +
                      std::to_string(GetLastError()) + ")" + Remedy);
  }
  const auto write = resolved<WriteCall>(library, "DlPortWritePortUchar");
  read_ = resolved<ReadCall>(library, "DlPortReadPortUchar");
  write_ = write;
}

void DlPortIoPort::write(uint32_t port, uint8_t value) {
  if (write_ == nullptr) bind();
  write_(port, value);
}

uint8_t DlPortIoPort::read(uint32_t port) {
  if (write_ == nullptr) bind();
  return read_(port);
}

}  // namespace om6211
