#include "cli/PanelWatcher.h"

namespace om6211::cli {

PanelWatcher::PanelWatcher(panel::VirtualPanel& panel, std::FILE* frameListing,
                           std::optional<std::string> screenPrefix, panel::PngStyle style)
    : panel_(&panel),
      frameListing_(frameListing),
      screenPrefix_(std::move(screenPrefix)),
      style_(style) {
  panel_->controller().observe(this);
}

PanelWatcher::~PanelWatcher() {
  panel_->controller().observe(nullptr);
}

void PanelWatcher::onFrame(bool isData, uint8_t value) {
  if (frameListing_ == nullptr) return;
  constexpr char Hex[] = "0123456789abcdef";
  std::fputs(isData ? "data " : "cmd ", frameListing_);
  std::fputc(Hex[value >> 4], frameListing_);
  std::fputc(Hex[value & 0xF], frameListing_);
  std::fputc('\n', frameListing_);
}

void PanelWatcher::onScreenWritten() {
  if (!screenPrefix_ || problem_) return;
  char number[24];
  std::snprintf(number, sizeof number, "-%04d.png", ++screens_);
  if (auto failed = panel::writePng(panel_->glass(), style_, *screenPrefix_ + number)) {
    problem_ = std::move(failed);
  }
}

}  // namespace om6211::cli
