#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "driver/Driver.h"
#include "host/PortStack.h"
#include "lcdproc/ModuleConfig.h"
#include "lcdproc/PictureComposer.h"

namespace om6211::lcdd {

// One loaded section of LCDd: its own driver core, port, trace and picture. Built by `init`,
// destroyed by `close`; the module functions are thin calls into it.
class ModuleInstance {
 public:
  // Opens the files and the port and powers the display up; raises std::runtime_error (the
  // message says what failed) when any of it cannot be done.
  explicit ModuleInstance(const ModuleConfig& config);
  // Runs the clean-up sequence, writes the trace out and releases files and port.
  ~ModuleInstance();
  ModuleInstance(const ModuleInstance&) = delete;
  ModuleInstance& operator=(const ModuleInstance&) = delete;

  PictureComposer& composer() { return composer_; }
  // Hands the composed picture to the driver, then brings the trace and the picture file up
  // to date.
  void flush();
  void backlight(bool on);
  void setContrast(int promille);
  int contrast() const { return contrastPromille_; }
  const char* info() const { return info_.c_str(); }
  // The glass of the virtual panel; none on a hardware port (on a bus the panel listens in).
  std::optional<panel::Glass> glass() const;

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  using File = std::unique_ptr<std::FILE, FileCloser>;

  void writeTrace();
  // Runs a driver call; the failures it reports or raises that the device's own lines have told
  // already are not repeated.
  template <typename Call>
  void quietly(Call&& call);

  ModuleConfig config_;
  File pngFile_;
  // The virtual panel listens in on a bus only, through the parallel-port traffic of the same
  // frames (which the trace records).
  PortStack stack_;
  Driver driver_;
  PictureComposer composer_;
  bool backlight_;
  int contrastPromille_;
  std::optional<panel::Glass> pictured_;  // the glass last written to the picture file
  std::string info_;
};

// Contrast as LCDd gives it (promille) and as the controller takes it (the configuration
// byte, whose top five bits are the level: 0-31).
uint8_t contrastValueOfPromille(int promille);
int promilleOfContrastValue(uint8_t value);

}  // namespace om6211::lcdd
