#pragma once

#include <cstdint>
#include <string>

#include "seams/Platform.h"
#include "seams/PortIo.h"

namespace om6211 {

class Reconnector;

// The port the Windows DLL drives, as the key Port of its settings file names it: the parallel
// port through DLPORTIO.DLL, or an FTDI adapter through FTDI's D2XX driver.
//
// The adapter is opened when the host configures the display, and again when the value or the
// host's port base changed. An adapter that goes away (unplugged) is reopened by the next call
// that uses it, then at most once a second, with one line each way on the DLL's failure
// channel. It stays open until the process ends, since closing it would fall to the DLL's
// unloading, where Windows forbids calls into other libraries. While the value is wrong or the
// adapter cannot be opened, every port operation fails with the reason: the DLL drives no port,
// and never a guess.
class ChosenPort {
 public:
  using Report = void (*)(const char* line) noexcept;

  constexpr ChosenPort(PortIo& parallel, Report report) : parallel_(&parallel), report_(report) {}

  // The platform `native` with the port or bus `value` names, for a driver configured with the
  // data register `portBase`.
  Platform choose(const std::string& value, uint32_t portBase, const Platform& native);
  // Whether `message` is that of a failure the adapter's reconnection has told already.
  bool told(const char* message) const noexcept;

 private:
  // Fails every operation with the reason no port is driven.
  class Refusal final : public PortIo {
   public:
    constexpr Refusal() = default;
    void write(uint32_t, uint8_t) override { fail(); }
    uint8_t read(uint32_t) override { fail(); }
    void flush() override { fail(); }
    std::string reason;

   private:
    [[noreturn]] void fail() const { throw PortFailure(reason); }
  };

  void closeAdapter();

  PortIo* parallel_;
  Report report_;
  Refusal refusal_;
  Reconnector* adapter_ = nullptr;
  bool refused_ = false;
  bool chosen_ = false;
  std::string value_;
  uint32_t portBase_ = 0;
};

}  // namespace om6211
