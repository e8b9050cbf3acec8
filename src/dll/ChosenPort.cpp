#include "dll/ChosenPort.h"

#include <exception>

#include "dll/PortSetting.h"
#include "ports/ftdi/D2xxTransport.h"
#include "ports/ftdi/FtdiConnection.h"

namespace om6211 {

bool ChosenPort::adapterFailed() const {
  if (adapter_ == nullptr) return false;
  const Hardware* hardware = adapter_->port ? static_cast<const Hardware*>(adapter_->port.get())
                                            : static_cast<const Hardware*>(adapter_->bus.get());
  return hardware->failureCount() != 0;
}

void ChosenPort::closeAdapter() {
  delete adapter_;
  adapter_ = nullptr;
}

Platform ChosenPort::choose(const std::string& value, uint32_t portBase, const Platform& native) {
  // A failed adapter may have been unplugged: opening it afresh finds it again.
  const bool again =
      !chosen_ || refused_ || value != value_ || portBase != portBase_ || adapterFailed();
  if (again) {
    closeAdapter();
    refused_ = false;
    chosen_ = true;
    value_ = value;
    portBase_ = portBase;
    try {
      const PortSetting setting = parsePortSetting(value);
      if (setting.ftdi) {
        adapter_ = new FtdiConnection(openFtdi(*setting.ftdi, portBase, newD2xxTransport()));
      }
    } catch (const std::exception& refusal) {
      refused_ = true;
      refusal_.reason = refusal.what();
    }
  }
  Platform chosen = native;
  if (refused_) {
    chosen.port = &refusal_;
    chosen.bus = nullptr;
  } else if (adapter_ != nullptr) {
    chosen.port = adapter_->port.get();
    chosen.bus = adapter_->bus.get();
  } else {
    chosen.port = parallel_;
    chosen.bus = nullptr;
  }
  return chosen;
}

}  // namespace om6211
