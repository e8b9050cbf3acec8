#include <cstdio>

#include "cli/CommandSupport.h"
#include "cli/InputFile.h"
#include "host/TraceReader.h"

namespace om6211::cli {
namespace {

// The glass for programs to read: 48 lines of 84 characters, '#' a dark pixel, '.' a clear one.
void printPixels(const panel::Glass& glass) {
  std::string line(panel::Glass::Width, '.');
  for (int y = 0; y < panel::Glass::Height; ++y) {
    for (int x = 0; x < panel::Glass::Width; ++x) line[x] = glass.isDark(x, y) ? '#' : '.';
    std::printf("%s\n", line.c_str());
  }
}

int run(const ParsedArguments& arguments) {
  const std::string& path = arguments.positional[0];
  const std::string text = readWholeFile(path);

  panel::VirtualPanel panel(portSelectionFrom(arguments.value("--port").value_or("virtual")).base);
  // Without a picture asked for, the listing is what the user wants to see.
  const bool listFrames =
      arguments.has("--frames") || !(arguments.has("--png") || arguments.has("--show") ||
                                     arguments.has("--png-screens") || arguments.has("--pixels"));
  // Frames are listed as they arrive; a malformed line is found only when reached, so check
  // the whole trace first and list nothing from a trace that would be refused.
  if (auto error = readTrace(text, [](const PortOperation&) {})) {
    throw UsageError(path + ":" + std::to_string(error->line) + ": " + error->message);
  }
  PanelWatcher watcher(panel, listFrames ? stdout : nullptr, arguments.value("--png-screens"),
                       pngStyleFrom(arguments));
  readTrace(text, [&panel](const PortOperation& op) {
    if (op.kind == PortOperation::Kind::Out) {
      panel.write(op.number, op.value);
    } else if (op.kind == PortOperation::Kind::In) {
      panel.read(op.number);
    }
  });
  if (arguments.has("--pixels")) printPixels(panel.glass());
  return finishOnPanel(panel, watcher, arguments, ExitSuccess, false);
}

}  // namespace

const Command& decodeCommand() {
  static const Command command{
      {"decode", "TRACE", 1,
       "Plays a port trace into the virtual panel and lists the frames the controller took in "
       "('cmd e2', 'data 7e', one per line) and/or draws what its glass shows at the end.",
       joined({{{"--frames", "", "list the frames (the default when no picture is asked for)"},
                {"--pixels", "", "print the glass as 48 lines of 84 '#' (dark) or '.'"},
                {"--port", "NAME", "the panel's wiring: 'virtual' (port 378) or 'virtual:BASE'"}},
               pictureOptions()}),
       ""},
      run};
  return command;
}

}  // namespace om6211::cli
