#include "cli/PanelSession.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include "cli/CommandLine.h"
#include "driver/ExportBinding.h"
#include "platform/NativePlatform.h"

namespace om6211::cli {
namespace {

std::FILE* openTrace(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    throw UsageError(path + ": cannot be written (" + std::strerror(errno) + ")");
  return file;
}

}  // namespace

uint32_t panelPortBase(std::string_view selection) {
  constexpr std::string_view Virtual = "virtual";
  if (selection == Virtual) return panel::VirtualPanel::DefaultPortBase;
  if (selection.substr(0, Virtual.size() + 1) == "virtual:") {
    const std::string_view digits = selection.substr(Virtual.size() + 1);
    uint32_t base = 0;
    const char* end = digits.data() + digits.size();
    auto [stop, error] = std::from_chars(digits.data(), end, base, 16);
    if (!digits.empty() && error == std::errc() && stop == end && base <= 0xFFFD) return base;
  }
  throw UsageError("unknown port back end '" + std::string(selection) +
                   "': this build has 'virtual' (the virtual panel on the data register 378) "
                   "and 'virtual:BASE' (on another data register, BASE in hexadecimal)");
}

PanelSession::PanelSession(const SessionSettings& settings)
    : panel_(panelPortBase(settings.port)),
      traceFile_(settings.trace ? openTrace(*settings.trace) : nullptr),
      trace_(traceFile_ != nullptr ? std::make_unique<TraceWriter>(traceFile_, *settings.trace)
                                   : nullptr),
      tracingPort_(trace_ ? std::make_unique<TracingPort>(panel_, *trace_) : nullptr),
      pauses_(trace_.get()) {
  HostFolder* hostFolder = &processFolder_;
  if (settings.hostDir) {
    std::string folder = *settings.hostDir;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    givenFolder_ = std::make_unique<GivenHostFolder>(folder);
    hostFolder = givenFolder_.get();
  }
  PortIo* port = tracingPort_ ? static_cast<PortIo*>(tracingPort_.get()) : &panel_;
  exported::usePlatform(Platform{port, &pauses_, &settings_, hostFolder});
}

PanelSession::~PanelSession() {
  // Nothing may point into this session once it is gone.
  static constinit NativePort nativePort;
  static constinit NativePauses nativePauses;
  static constinit NativeSettingsLookup nativeSettings;
  static constinit NativeHostFolder nativeFolder;
  exported::usePlatform(Platform{&nativePort, &nativePauses, &nativeSettings, &nativeFolder});
  trace_.reset();
  if (traceFile_ != nullptr) std::fclose(traceFile_);
}

std::optional<std::string> PanelSession::finish() {
  if (!trace_ || trace_->flush()) return std::nullopt;
  return trace_->problem();
}

}  // namespace om6211::cli
