#include "cli/ManPage.h"

#include <cstdint>
#include <cstdio>

#include "ports/portable/Remedy.h"

namespace om6211::cli {
namespace {

// The code point of the UTF-8 sequence starting at `text[at]`, and its length; a byte that starts
// no valid sequence stands for itself (as Latin-1) so that nothing is lost.
std::pair<uint32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length == 1 || at + length > text.size()) return {lead, 1};
  uint32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {lead, 1};
    code = code << 6 | (byte(at + i) & 0x3F);
  }
  return {code, length};
}

std::string escapedLine(std::string_view line) {
  std::string out;
  if (!line.empty() && (line.front() == '.' || line.front() == '\'')) out = "\\&";
  for (std::size_t i = 0; i < line.size();) {
    const char c = line[i];
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (static_cast<uint8_t>(c) < 0x80) {
      out += c;
    } else {
      const auto [code, length] = decodeUtf8(line, i);
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\[u%04X]", static_cast<unsigned>(code));
      out += escape;
      i += length;
      continue;
    }
    ++i;
  }
  return out;
}

std::string optionLine(const OptionSyntax& option) {
  std::string line = "\\fB" + roffText(option.name) + "\\fR";
  if (!option.valueName.empty()) line += " \\fI" + roffText(option.valueName) + "\\fR";
  return line;
}

}  // namespace

std::string roffText(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (!out.empty()) out += '\n';
    out += line.find_first_not_of(" \t") == std::string_view::npos ? ".PP" : escapedLine(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

std::string manPage(std::span<const Command* const> commands, std::string_view version) {
  std::string page = ".TH OM6211 1 \"\" \"om6211 " + roffText(version) +
                     "\" \"User Commands\"\n"
                     ".nh\n"
                     ".SH NAME\n"
                     "om6211 \\- drive the OM6211 display driver and show what its display shows\n"
                     ".SH SYNOPSIS\n"
                     ".B om6211\n"
                     ".I COMMAND\n"
                     "[\\fIarguments\\fR] [\\fIoptions\\fR]\n"
                     ".br\n"
                     ".B om6211\n"
                     ".I COMMAND\n"
                     ".B \\-\\-help\n"
                     ".br\n"
                     ".B om6211 \\-\\-help\n"
                     ".br\n"
                     ".B om6211 \\-\\-version\n"
                     ".SH DESCRIPTION\n"
                     "om6211 drives the driver of the 84 x 48 pixel OM6211 display module through "
                     "its exported entry points, as a host application does, onto the port back "
                     "end chosen with \\fB\\-\\-port\\fR. The default back end is the virtual "
                     "panel: it rebuilds the controller's input from the port writes alone and "
                     "draws the glass, in the terminal or as a PNG picture.\n"
                     ".SH COMMANDS\n";
  for (const Command* command : commands) {
    const CommandSyntax& syntax = command->syntax;
    page += ".SS \"om6211 " + roffText(syntax.name);
    if (!syntax.arguments.empty()) page += " " + roffText(syntax.arguments);
    if (!syntax.options.empty()) page += " [options]";
    page += "\"\n" + roffText(syntax.summary) + "\n";
    for (const OptionSyntax& option : syntax.options) {
      page += ".TP\n" + optionLine(option) + "\n" + roffText(option.help) + "\n";
    }
    page += ".TP\n\\fB\\-\\-help\\fR\ndescribe the command and its options\n";
    if (!syntax.details.empty()) page += ".PP\n" + roffText(syntax.details) + "\n";
  }
  page +=
      ".SH OPTIONS\n"
      ".TP\n\\fB\\-\\-help\\fR, \\fB\\-h\\fR\nlist the commands\n"
      ".TP\n\\fB\\-\\-version\\fR\nprint the version of om6211\n"
      ".SH EXIT STATUS\n"
      ".TP\n0\nsuccess\n"
      ".TP\n1\nthe command ran to its end, but driver calls failed\n"
      ".TP\n2\nbad arguments, or a file that could not be read, was malformed, or could not be "
      "written\n"
      ".SH FILES\n"
      ".TP\n\\fIDIR\\fR/controller/OM6211/settings.ini\n"
      "the driver's settings, below the host folder \\fIDIR\\fR (\\fB\\-\\-host\\-dir\\fR)\n"
      ".SH SEE ALSO\n"
      ".BR LCDd (8),\n"
      "the command-line guide /usr/share/doc/om6211/guide/cli.md and the troubleshooting page " +
      std::string(TroubleshootingPage) +
      ", which explains every error message (both installed by the Debian package)\n";
  return page;
}

}  // namespace om6211::cli
