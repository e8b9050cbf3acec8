#include <cstdio>
#include <optional>

#include "cli/Cp1250Text.h"
#include "cli/DisplayRun.h"
#include "cli/HostBitmap.h"
#include "dll/Exports.h"
#include "module/Geometry.h"
#include "panel/TerminalPicture.h"

namespace om6211::cli {
namespace {

constexpr uint8_t HeartGlyph = 1;

// A heart, one byte per pixel column, bit 0 at the top.
constexpr uint8_t HeartColumns[6] = {0x0E, 0x1E, 0x3C, 0x1E, 0x0E, 0x00};

Om6211GlyphBlock heartBlock() {
  Om6211GlyphBlock block{};
  block.bytes[0] = HeartGlyph;
  for (int column = 0; column < 6; ++column) {
    for (int row = 0; row < 8; ++row) {
      block.bytes[1 + column * 8 + row] = (HeartColumns[column] >> row) & 1;
    }
  }
  return block;
}

// Six rows of the accented upper half, with the custom heart in the last one.
std::vector<std::string> demoRows() {
  const std::string rows[] = {
      " om6211 demo",
      "\u00c1rv\u00edzt\u0171r\u0151",
      "t\u00fck\u00f6rf\u00far\u00f3g\u00e9p",
      "Gr\u00f6\u00dfe: \u00df \u00e4 \u00f6 \u00fc",
      "\u015e\u0163 \u0102\u00e2 \u00ce\u00ee \u00eb \u00f4",
  };
  std::vector<std::string> codes;
  for (const std::string& row : rows) codes.push_back(toCp1250(row).codes);
  // The custom glyph has no character of its own: its code goes in as it is.
  codes.push_back("I " + std::string(1, static_cast<char>(HeartGlyph)) + " XOR mixing");
  for (std::string& row : codes) row.resize(module::TextColumns, ' ');
  return codes;
}

// A bar behind the title and a disc over the right half: under XOR the text they cover shows
// light on dark.
HostBitmap demoGraphic() {
  HostBitmap bitmap{};
  for (int y = 0; y < module::Rows; ++y) {
    for (int x = 0; x < module::Columns; ++x) {
      const int dx = x - 64;
      const int dy = y - 31;
      const bool bar = y < 8;
      const bool disc = dx * dx + dy * dy <= 14 * 14;
      bitmap[static_cast<std::size_t>(x + y * module::Columns)] = bar || disc ? 1 : 0;
    }
  }
  return bitmap;
}

int run(const ParsedArguments& given) {
  ParsedArguments arguments = given;
  arguments.set("--backlight", "");

  DisplayRun run(arguments);
  PanelSession& session = run.session();
  // The start-up picture is what the glass shows while the driver waits out its second.
  std::optional<panel::Glass> startupPicture;
  session.pauses().listen([&](uint32_t milliseconds) {
    if (milliseconds >= 1000 && !startupPicture) startupPicture = session.panel().glass();
  });
  run.configureAndInit();
  session.pauses().listen(nullptr);

  const std::vector<std::string> rows = demoRows();
  const HostBitmap graphic = demoGraphic();
  run.check("the demo's output", failureOf([&] {
              LCD_SetCGRAMChar(heartBlock());
              for (std::size_t row = 0; row < rows.size(); ++row) {
                LCD_SetOutputAddress(0, static_cast<int32_t>(row));
                for (char code : rows[row]) LCD_SendToMemory(static_cast<uint8_t>(code));
              }
              LCD_SendToGfxMemory(graphic.data(), 0, 0, module::Columns - 1, module::Rows - 1, 0);
            }));
  if (startupPicture) {
    std::printf("Start-up picture:\n%s\n", panel::terminalPicture(*startupPicture).c_str());
  }
  std::printf("Text with accented letters and a custom glyph, XOR a graphic:\n");
  const std::string png = arguments.value("--png").value_or("om6211-demo.png");
  const int result = run.finish(true, png);
  if (result == ExitSuccess) std::printf("Picture written to %s\n", png.c_str());
  return result;
}

}  // namespace

const Command& demoCommand() {
  static const Command command{
      {"demo", "", 0,
       "A showcase on the virtual panel: the start-up picture, then a screen of text with "
       "accented letters and a custom glyph, combined with a graphic under XOR. Both are "
       "printed to the terminal and the last is written to om6211-demo.png.",
       joined({{{"--contrast", "N", "contrast level 0-255 (default 224)"}},
               platformOptions(),
               pictureOptions()}),
       "The mixing of text and graphics follows the settings file below the host folder\n"
       "(XOR when there is none).\n"},
      run};
  return command;
}

}  // namespace om6211::cli
