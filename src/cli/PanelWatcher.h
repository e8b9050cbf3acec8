#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "panel/PanelObserver.h"
#include "panel/PngWriter.h"
#include "panel/VirtualPanel.h"

namespace om6211::cli {

// Watches what the virtual panel takes in: lists each frame ("cmd e2", "data 7e") and/or
// writes a picture of each screen as it is completed (PREFIX-0001.png, PREFIX-0002.png, ...).
class PanelWatcher final : public panel::PanelObserver {
 public:
  PanelWatcher(panel::VirtualPanel& panel, std::FILE* frameListing,
               std::optional<std::string> screenPrefix, panel::PngStyle style);
  PanelWatcher(const PanelWatcher&) = delete;
  PanelWatcher& operator=(const PanelWatcher&) = delete;
  ~PanelWatcher();

  void onFrame(bool isData, uint8_t value) override;
  void onScreenWritten() override;

  int screensWritten() const { return screens_; }
  // The first picture that could not be written, if any.
  const std::optional<std::string>& problem() const { return problem_; }

 private:
  panel::VirtualPanel* panel_;
  std::FILE* frameListing_;
  std::optional<std::string> screenPrefix_;
  panel::PngStyle style_;
  int screens_ = 0;
  std::optional<std::string> problem_;
};

}  // namespace om6211::cli
