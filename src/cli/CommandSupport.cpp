#include "cli/CommandSupport.h"

#include <cstdio>
#include <stdexcept>

#include "dll/Exports.h"
#include "panel/TerminalPicture.h"

namespace om6211::cli {

std::vector<OptionSyntax> pictureOptions() {
  return {
      {"--png", "FILE", "write a picture of the glass to FILE at the end"},
      {"--show", "", "print the glass to the terminal at the end"},
      {"--scale", "N", "image pixels per panel pixel in PNG files, 1-32 (default 4)"},
      {"--no-grid", "", "draw the PNG pixels without the grid between them"},
      {"--png-screens", "PREFIX",
       "write PREFIX-0001.png, PREFIX-0002.png, ... one per completed screen (each time the "
       "last column of the last page is written)"},
  };
}

std::vector<OptionSyntax> platformOptions() {
  return {
      {"--port", "NAME",
       "port back end: 'virtual' (default, the virtual panel on port 378), 'virtual:BASE', "
       "'ppdev:/dev/parportN' (the parallel-port device), 'direct:BASE' (direct I/O at BASE, "
       "x86, root), 'gpio:CHIP:clk=N,din=N,res=N[,light=N][,cs=N]' (the module on lines N of "
       "the GPIO chip CHIP: gpiochip0, a path, a name or a label) or "
       "'spi:/dev/spidevB.C:res=CHIP/N[,light=CHIP/N][,hz=HZ]' (clock and data on the SPI "
       "device at up to 4000000 Hz, reset and backlight on GPIO lines) or "
       "'ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE,...]' (an FTDI USB adapter: "
       "the first found, or i:VENDOR:PRODUCT[:INDEX], s:VENDOR:PRODUCT:SERIAL, d:BUS/DEVICE); on "
       "real hardware the pauses are waited out and the virtual panel shows what was sent; on "
       "spi and ftdi in MPSSE mode, --trace writes the parallel-port traffic that carries the "
       "same frames"},
      {"--host-dir", "DIR",
       "folder taken as the host's; the settings file is DIR/controller/OM6211/settings.ini "
       "(default: the folder of om6211)"},
      {"--trace", "FILE", "write the port trace of the whole run to FILE"},
  };
}

OptionSyntax keepOption() {
  return {"--keep", "", "continue what is on the display: no reset, no start-up picture, no blank"};
}

std::vector<OptionSyntax> displayOptions() {
  return {
      {"--backlight", "", "switch the backlight on"},
      {"--contrast", "N", "contrast level 0-255, sent with contrast on (default 224)"},
      keepOption(),
  };
}

std::vector<OptionSyntax> joined(std::vector<std::vector<OptionSyntax>> groups) {
  std::vector<OptionSyntax> all;
  for (const std::vector<OptionSyntax>& group : groups)
    all.insert(all.end(), group.begin(), group.end());
  return all;
}

void reportProblem(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "om6211: %s\n", message.c_str());
}

PortSelection portSelectionFrom(const std::string& text) {
  try {
    return parsePortSelection(text);
  } catch (const PortSelectionError& unknown) {
    throw UsageError(unknown.what());
  }
}

SessionSettings sessionSettingsFrom(const ParsedArguments& arguments) {
  SessionSettings settings;
  // A port the build does not have is refused before any file opens.
  if (auto port = arguments.value("--port")) settings.port = portSelectionFrom(*port);
  settings.trace = arguments.value("--trace");
  try {
    settings.failPortOperation = InjectedPortFault::fromEnvironment();
  } catch (const std::invalid_argument& bad) {
    throw UsageError(bad.what());
  }
  settings.hostDir = arguments.value("--host-dir");
  return settings;
}

panel::PngStyle pngStyleFrom(const ParsedArguments& arguments) {
  return {.scale = arguments.number("--scale", 1, 32, 4), .grid = !arguments.has("--no-grid")};
}

std::string infoLine() {
  Om6211DriverInfo info;
  DLL_GetInfo(&info);
  std::string line = "info \"";
  for (char c : info.text) {
    if (c == '\0') break;
    line.push_back(c);
  }
  line += '"';
  char byte[4];
  for (uint8_t constant : info.constants) {
    std::snprintf(byte, sizeof byte, " %02x", constant);
    line += byte;
  }
  return line;
}

DisplaySettings displaySettingsFrom(const ParsedArguments& arguments) {
  return {.contrast = arguments.number("--contrast", 0, 255, 224),
          .backlight = arguments.has("--backlight"),
          .delay = arguments.number("--delay", 0, 1000000, 0),
          .portBase = sessionSettingsFrom(arguments).port.base};
}

int finishSession(PanelSession& session, int status) {
  if (auto failed = session.finish()) {
    reportProblem(*failed);
    return ExitUsage;
  }
  return status;
}

int finishOnPanel(const panel::VirtualPanel& panel, const PanelWatcher& watcher,
                  const ParsedArguments& arguments, int status, bool showByDefault,
                  const std::string& defaultPng) {
  const panel::Glass glass = panel.glass();
  if (arguments.has("--show") || showByDefault) {
    std::fputs(panel::terminalPicture(glass).c_str(), stdout);
  }
  auto problem = [&status](const std::string& message) {
    reportProblem(message);
    status = ExitUsage;
  };
  const std::string png = arguments.value("--png").value_or(defaultPng);
  if (!png.empty()) {
    if (auto failed = panel::writePng(glass, pngStyleFrom(arguments), png)) problem(*failed);
  }
  if (watcher.problem()) problem(*watcher.problem());

  const panel::PanelController& controller = panel.controller();
  if (const uint64_t unknown = controller.unknownCommandCount(); unknown > 0) {
    std::string list;
    for (int code = 0; code < 256; ++code) {
      const uint64_t count = controller.unknownCommands()[static_cast<std::size_t>(code)];
      if (count == 0) continue;
      char entry[40];
      std::snprintf(entry, sizeof entry, " %02x (%llu\u00d7)", code,
                    static_cast<unsigned long long>(count));
      list += entry;
    }
    reportProblem("the panel received " + std::to_string(unknown) + " unknown command(s):" + list);
  }
  if (const int bits = panel.pendingBits(); bits > 0) {
    reportProblem("the panel was left inside a frame (" + std::to_string(bits) + " of 9 bits)");
  }
  return status;
}

}  // namespace om6211::cli
