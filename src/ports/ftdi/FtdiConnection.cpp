#include "ports/ftdi/FtdiConnection.h"

namespace om6211 {
namespace {

FtdiConnection connect(const FtdiSelection& selection, uint32_t portBase,
                       std::unique_ptr<FtdiDevice> device) {
  bool mpsse = selection.mode == FtdiSelection::Mode::Mpsse;
  if (selection.mode == FtdiSelection::Mode::Automatic) {
    mpsse = traitsOf(device->chip()).mpsseClockHz != 0 && selection.pins.clock == 0 &&
            selection.pins.data == 1;
  }
  FtdiConnection connection;
  if (mpsse) {
    connection.bus = std::make_unique<FtdiMpsseBus>(std::move(device), selection.pins);
  } else {
    connection.port =
        std::make_unique<FtdiBitbangPort>(std::move(device), selection.pins, portBase);
  }
  return connection;
}

}  // namespace

FtdiConnection openFtdi(const FtdiSelection& selection, uint32_t portBase, FtdiCalls& calls) {
  return connect(selection, portBase, std::make_unique<FtdiDevice>(selection.description, calls));
}

FtdiConnection openFtdi(const FtdiSelection& selection, uint32_t portBase,
                        std::unique_ptr<FtdiCalls> calls) {
  FtdiCalls& reference = *calls;
  return connect(selection, portBase,
                 std::make_unique<FtdiDevice>(selection.description, reference, std::move(calls)));
}

}  // namespace om6211
