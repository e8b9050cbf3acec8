#include "cli/ScriptRunner.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "driver/Exports.h"
#include "driver/IoProperties.h"

namespace om6211::cli {
namespace {

std::string readWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError(path + ": cannot be read");
  std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw UsageError(path + ": cannot be read");
  return contents;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

ScriptGraphic loadGraphic(const std::filesystem::path& folder, const ScriptCall& call,
                          const std::string& scriptName) {
  const std::string where = scriptName + ":" + std::to_string(call.line) + ": ";
  const std::filesystem::path path = folder / call.text;
  ScriptGraphic graphic;
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (!error && size == std::tuple_size_v<HostBitmap>) {
    const std::string contents = readWholeFile(path.string());
    if (contents.size() != size) throw UsageError(where + path.string() + ": cannot be read");
    graphic.raw.emplace();
    std::memcpy(graphic.raw->data(), contents.data(), contents.size());
    return graphic;
  }
  LoadedImage loaded = loadImage(path.string());
  if (loaded.problem) throw UsageError(where + *loaded.problem);
  graphic.image = std::move(loaded.image);
  return graphic;
}

}  // namespace

PreparedScript prepareScript(const std::string& path) {
  PreparedScript script;
  script.name = path;
  const std::string text = readWholeFile(path);
  ParsedScript parsed = parseHostScript(text);
  if (parsed.error) {
    throw UsageError(path + ":" + std::to_string(parsed.error->line) + ": " +
                     parsed.error->message);
  }
  script.lines = splitLines(text);
  script.calls = std::move(parsed.calls);
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  script.graphics.resize(script.calls.size());
  for (std::size_t i = 0; i < script.calls.size(); ++i) {
    if (script.calls[i].command == ScriptCommand::SendToGfxMemory) {
      script.graphics[i] = loadGraphic(folder, script.calls[i], path);
    }
  }
  return script;
}

std::size_t runScript(const PreparedScript& script, TraceWriter* trace, std::FILE* out) {
  std::size_t failures = 0;
  // The host knows the graphics width it configured; it sets the stride of its bitmaps.
  int graphicsWidth = 84;
  for (std::size_t i = 0; i < script.calls.size(); ++i) {
    const ScriptCall& call = script.calls[i];
    const std::vector<uint32_t>& n = call.numbers;
    if (trace != nullptr) {
      trace->annotate(std::to_string(call.line) + ": " + script.lines[call.line - 1]);
    }
    const std::string failure = failureOf([&] {
      switch (call.command) {
        case ScriptCommand::GetInfo:
          std::fprintf(out, "%s\n", infoLine().c_str());
          break;
        case ScriptCommand::SetIOPropertys:
          LCD_SetIOPropertys(call.text.c_str(), static_cast<int32_t>(n[0]),
                             static_cast<int32_t>(n[1]), static_cast<int32_t>(n[2]),
                             static_cast<int32_t>(n[3]), static_cast<int32_t>(n[4]),
                             static_cast<int32_t>(n[5]), n[6], 0, n[7], n[8], 0, 0, 0);
          break;
        case ScriptCommand::Init:
          LCD_Init();
          break;
        case ScriptCommand::CleanUp:
          LCD_CleanUp();
          break;
        case ScriptCommand::IsReadyToReceive:
          std::fprintf(out, "ready %u\n", static_cast<unsigned>(LCD_IsReadyToReceive()));
          break;
        case ScriptCommand::SendToController:
          LCD_SendToController(n[0]);
          break;
        case ScriptCommand::SendToMemory:
          LCD_SendToMemory(n[0]);
          break;
        case ScriptCommand::SendToGfxMemory: {
          const ScriptGraphic& graphic = script.graphics[i];
          const HostBitmap bitmap =
              graphic.raw ? *graphic.raw : toHostBitmap(graphic.image, graphicsWidth, false);
          LCD_SendToGfxMemory(bitmap.data(), n[0], n[1], n[2], n[3], n[4]);
          break;
        }
        case ScriptCommand::SetOutputAddress:
          LCD_SetOutputAddress(static_cast<int32_t>(n[0]), static_cast<int32_t>(n[1]));
          break;
        case ScriptCommand::SetCGRAMChar: {
          Om6211GlyphBlock block{};
          block.bytes[0] = static_cast<uint8_t>(n[0]);
          std::memcpy(block.bytes + 1, call.pattern.data(), call.pattern.size());
          LCD_SetCGRAMChar(block);
          break;
        }
        case ScriptCommand::GetCGRAMChar:
          std::fprintf(out, "cgram %u\n", static_cast<unsigned>(LCD_GetCGRAMChar(n[0])));
          break;
        case ScriptCommand::Customize:
          LCD_Customize(n[0], n[1], n[2], n[3], n[4]);
          break;
      }
    });
    if (!failure.empty()) {
      ++failures;
      std::fprintf(stderr, "%s:%zu: %s failed: %s\n", script.name.c_str(), call.line,
                   std::string(commandName(call.command)).c_str(), failure.c_str());
    } else if (call.command == ScriptCommand::SetIOPropertys) {
      graphicsWidth = clampedGeometry(static_cast<int32_t>(n[4]), 84);
    }
  }
  return failures;
}

}  // namespace om6211::cli
