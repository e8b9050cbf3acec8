#include "dll/ChosenPort.h"

#include <exception>

#include "dll/PortSetting.h"
#include "host/Reconnector.h"
#include "ports/ftdi/D2xxTransport.h"
#include "ports/ftdi/FtdiConnection.h"

namespace om6211 {

void ChosenPort::closeAdapter() {
  delete adapter_;
  adapter_ = nullptr;
}

bool ChosenPort::told(const char* message) const noexcept {
  try {
    return adapter_ != nullptr && adapter_->told(message);
  } catch (...) {
    return false;
  }
}

Platform ChosenPort::choose(const std::string& value, uint32_t portBase, const Platform& native) {
  if (!chosen_ || refused_ || value != value_ || portBase != portBase_) {
    closeAdapter();
    refused_ = false;
    chosen_ = true;
    value_ = value;
    portBase_ = portBase;
    try {
      const PortSetting setting = parsePortSetting(value);
      if (setting.ftdi) {
        auto open = [config = *setting.ftdi, portBase] {
          FtdiConnection adapter = openFtdi(config, portBase, newD2xxTransport());
          return OpenedHardware{.port = std::move(adapter.port), .bus = std::move(adapter.bus)};
        };
        adapter_ = new Reconnector(
            open(), open, [report = report_](const std::string& line) { report(line.c_str()); });
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
    chosen.port = adapter_->port();
    chosen.bus = adapter_->bus();
  } else {
    chosen.port = parallel_;
    chosen.bus = nullptr;
  }
  return chosen;
}

}  // namespace om6211
