#include <chrono>
#include <cstdio>

#include "cli/DisplayRun.h"
#include "cli/RunStop.h"
#include "cli/TestPatterns.h"
#include "dll/Exports.h"
#include "module/Geometry.h"

namespace om6211::cli {
namespace {

constexpr int Columns = module::TextColumns;
constexpr int Rows = module::TextRows;
constexpr int FirstGlyph = 0x20;
constexpr int GlyphCount = 256 - FirstGlyph;

// Every glyph from code 20 on, a screen of 84 at a time, each screen held for `hold` on a
// real port.
void showEveryGlyph(DisplayRun& run, std::chrono::seconds hold) {
  for (int first = FirstGlyph; first < 256; first += Columns * Rows) {
    if (first != FirstGlyph && run.session().hardware() != nullptr) waitOrStop(hold);
    for (int row = 0; row < Rows; ++row) {
      char what[40];
      std::snprintf(what, sizeof what, "writing glyphs from %02x", first + row * Columns);
      run.check(what, failureOf([&] {
                  LCD_SetOutputAddress(0, row);
                  for (int column = 0; column < Columns; ++column) {
                    const int code = first + row * Columns + column;
                    LCD_SendToMemory(static_cast<uint8_t>(code < 256 ? code : ' '));
                  }
                }));
    }
  }
}

int run(const ParsedArguments& arguments) {
  const std::string& name = arguments.positional[0];
  const std::optional<HostBitmap> bitmap = patternBitmap(name);
  if (!bitmap && name != "text") {
    throw UsageError("unknown pattern '" + name +
                     "': border, checker, all-on, all-off, columns, pages or text");
  }
  const std::chrono::seconds hold(arguments.number("--hold", 0, 3600, 3));
  DisplayRun run(arguments);
  run.configureAndInit();
  if (bitmap) {
    run.check("LCD_SendToGfxMemory", failureOf([&] {
                LCD_SendToGfxMemory(bitmap->data(), 0, 0, module::Columns - 1, module::Rows - 1, 0);
              }));
  } else {
    showEveryGlyph(run, hold);
  }
  return run.finish(!arguments.has("--png"));
}

}  // namespace

const Command& patternCommand() {
  static const Command command{
      {"pattern", "NAME", 1,
       "Shows a test pattern, to tell a wiring fault, a timing fault and a contrast fault "
       "apart when bringing a display up.",
       joined({{{"--delay", "N",
                 "delay units per clock half (address and bus delay), to try a slower clock "
                 "(default 0)"},
                {"--hold", "SECONDS",
                 "how long each screen of the text pattern stays on a real port (default 3)"}},
               displayOptions(),
               platformOptions(),
               pictureOptions()}),
       "Patterns:\n"
       "  border   the outermost ring of pixels: a missing edge or a shifted frame shows\n"
       "           an addressing or geometry fault\n"
       "  checker  single-pixel checkerboard: stripes or noise instead mean bits are lost\n"
       "           or doubled (timing: try --delay 10, then larger)\n"
       "  all-on   every pixel dark: an even grey means contrast is off (try --contrast)\n"
       "  all-off  every pixel clear: dark pixels left are dead or the glass is stressed\n"
       "  columns  every other column dark\n"
       "  pages    page p (8 rows each) has its top p + 1 rows dark: a staircase from one\n"
       "           row at the top to six in the bottom page; pages out of order show at once\n"
       "  text     every glyph from code 20 on, in screens of 84 (--hold between screens)\n"
       "Without --png the virtual panel, which decodes what was sent, is printed to the\n"
       "terminal; on a real port compare the glass with it.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
