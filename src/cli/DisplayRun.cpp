#include "cli/DisplayRun.h"

#include <cstdio>

#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "module/Geometry.h"

namespace om6211::cli {

DisplayRun::DisplayRun(const ParsedArguments& arguments)
    : arguments_(arguments),
      display_(displaySettingsFrom(arguments)),
      style_(pngStyleFrom(arguments)),
      session_(sessionSettingsFrom(arguments)),
      watcher_(session_.panel(), nullptr, arguments.value("--png-screens"), style_) {}

void DisplayRun::configureAndInit() {
  char portText[16];
  std::snprintf(portText, sizeof portText, "%X", static_cast<unsigned>(display_.portBase));
  check("LCD_SetIOPropertys", failureOf([&] {
          LCD_SetIOPropertys(portText, display_.delay, display_.delay, module::TextColumns,
                             module::TextRows, module::Columns, module::Rows,
                             display_.backlight ? 1 : 0, 0, 1,
                             static_cast<uint32_t>(display_.contrast), 0, 0, 0);
        }));
  if (arguments_.has("--keep")) {
    check("continuing the display", failureOf([] { exported::continueDisplay(); }));
  } else {
    check("LCD_Init", failureOf([] { LCD_Init(); }));
  }
}

void DisplayRun::check(const std::string& what, const std::string& failure) {
  if (failure.empty()) return;
  reportProblem(what + " failed: " + failure);
  succeeded_ = false;
}

int DisplayRun::finish(bool showByDefault, const std::string& defaultPng) {
  const int status = finishSession(session_, succeeded_ ? ExitSuccess : ExitCallsFailed);
  return finishOnPanel(session_.panel(), watcher_, arguments_, status, showByDefault, defaultPng);
}

}  // namespace om6211::cli
