#include <cstdio>

#include "cli/Cp1250Text.h"
#include "cli/DisplayRun.h"
#include "cli/TextLayout.h"
#include "dll/Exports.h"
#include "module/Geometry.h"

namespace om6211::cli {
namespace {

constexpr std::size_t Columns = module::TextColumns;
constexpr std::size_t Rows = module::TextRows;

int run(const ParsedArguments& arguments) {
  const Cp1250Text text = toCp1250(arguments.positional[0]);
  for (const std::string& unmapped : text.unmapped) {
    std::fprintf(stderr, "om6211: no glyph for %s, shown as the replacement glyph\n",
                 unmapped.c_str());
  }
  const TextLayout layout = layOutText(text.codes, Columns, Rows);
  if (layout.droppedCharacters > 0) {
    std::fprintf(stderr, "om6211: the text does not fit on %zu rows; %zu character(s) dropped\n",
                 Rows, layout.droppedCharacters);
  }

  DisplayRun run(arguments);
  run.configureAndInit();
  // Every cell is written, the last row last, so the screen is refreshed exactly once.
  for (std::size_t row = 0; row < layout.rows.size(); ++row) {
    run.check("writing row " + std::to_string(row), failureOf([&] {
                LCD_SetOutputAddress(0, static_cast<int32_t>(row));
                for (char code : layout.rows[row]) LCD_SendToMemory(static_cast<uint8_t>(code));
              }));
  }
  return run.finish(!arguments.has("--png"));
}

}  // namespace

const Command& textCommand() {
  static const Command command{
      {"text", "TEXT", 1, "Shows UTF-8 text on the 14 x 6 character grid of the virtual panel.",
       joined({displayOptions(), platformOptions(), pictureOptions()}),
       "Layout: a line end (a real one in the argument) starts a new row; a word that does\n"
       "not fit on the rest of a row moves to the next one, and a word longer than 14\n"
       "characters is broken across rows. Text below the sixth row is dropped and reported.\n"
       "Characters: printable ASCII and the accented letters\n"
       "  \u015e \u015f \u00c1 \u00c2 \u0102 \u00c4 \u00c9 \u00cd \u00ce \u00d3 \u0150 \u00d6 "
       "\u00da \u0170 \u00dc \u0162 \u00df \u00e1 \u00e2 \u0103 \u00e4 \u00e9 \u00eb \u00ed "
       "\u00ee \u00f3 \u00f4 \u0151 \u00f6 \u00fa \u0171 \u00fc \u0163\n"
       "(sent as their code-page 1250 codes); anything else is shown as the house glyph\n"
       "and reported. Without --png the panel is printed to the terminal.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
