#include "ports/ftdi/FtdiConnection.h"

namespace om6211 {
namespace {

FtdiConnection connect(const FtdiConfig& config, uint32_t portBase,
                       std::unique_ptr<FtdiDevice> device) {
  bool mpsse = config.mode == FtdiConfig::Mode::Mpsse;
  if (config.mode == FtdiConfig::Mode::Automatic) {
    mpsse = traitsOf(device->chip()).mpsseClockHz != 0 && config.pins.clock == 0 &&
            config.pins.data == 1;
  }
  FtdiConnection connection;
  if (mpsse) {
    connection.bus = std::make_unique<FtdiMpsseBus>(std::move(device), config.pins);
  } else {
    connection.port = std::make_unique<FtdiBitbangPort>(std::move(device), config.pins, portBase);
  }
  return connection;
}

}  // namespace

FtdiConnection openFtdi(const FtdiConfig& config, uint32_t portBase, FtdiTransport& transport) {
  return connect(config, portBase, std::make_unique<FtdiDevice>(config.description, transport));
}

FtdiConnection openFtdi(const FtdiConfig& config, uint32_t portBase,
                        std::unique_ptr<FtdiTransport> transport) {
  FtdiTransport& reference = *transport;
  return connect(config, portBase,
                 std::make_unique<FtdiDevice>(config.description, reference, std::move(transport)));
}

}  // namespace om6211
