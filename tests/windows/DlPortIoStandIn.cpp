// Stands in for DLPORTIO.DLL next to the driver under test: instead of touching a port it
// reports each operation as a port trace line to whoever asked for them, and reads 0xff.
#include <windows.h>

#include <cstdio>

extern "C" {

using TraceLineSink = void (*)(const char* line);

namespace {
TraceLineSink sink = nullptr;

void report(const char* line) {
  if (sink != nullptr) sink(line);
}
}  // namespace

__declspec(dllexport) void WINAPI StandInReportTo(TraceLineSink receiver) {
  sink = receiver;
}

void WINAPI DlPortWritePortUchar(ULONG port, UCHAR value) {
  char line[32];
  std::snprintf(line, sizeof line, "out %lx %02x\n", port, static_cast<unsigned>(value));
  report(line);
}

UCHAR WINAPI DlPortReadPortUchar(ULONG port) {
  char line[32];
  std::snprintf(line, sizeof line, "in %lx\n", port);
  report(line);
  return 0xff;
}

}  // extern "C"
