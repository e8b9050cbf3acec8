#include "cli/ScriptRunner.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/InputFile.h"
#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "driver/IoProperties.h"
#include "module/Geometry.h"

namespace om6211::cli {
namespace {

// The host starts out with the full graphics width; a configuration call that goes through sets
// the width, which is the row stride of the host's bitmaps from then on.
constexpr int InitialGraphicsWidth = module::Columns;

int configuredGraphicsWidth(const ScriptCall& configuration) {
  return clampedGeometry(static_cast<int32_t>(configuration.numbers[4]), InitialGraphicsWidth);
}

std::string bitmapPath(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

}  // namespace

PreparedScript prepareScript(const std::string& path) {
  PreparedScript script;
  script.name = path;
  script.text = readWholeFile(path);
  script.folder = std::filesystem::path(path).parent_path().string();
  std::set<int> strides{InitialGraphicsWidth};
  // Each distinct file name with the first line naming it, in the order of the lines.
  std::vector<std::pair<std::size_t, std::string>> namedFiles;
  std::unordered_set<std::string> names;
  const std::optional<ScriptError> error = forEachHostCall(script.text, [&](const ScriptCall& call,
                                                                            std::string_view) {
    if (call.command == ScriptCommand::SetIOPropertys) {
      strides.insert(configuredGraphicsWidth(call));
    } else if (call.command == ScriptCommand::SendToGfxMemory && names.insert(call.text).second) {
      namedFiles.emplace_back(call.line, call.text);
    }
  });
  if (error) throw UsageError(path + ":" + std::to_string(error->line) + ": " + error->message);
  const std::vector<int> strideList(strides.begin(), strides.end());
  for (const auto& [line, name] : namedFiles) {
    try {
      script.bitmaps.load(bitmapPath(script.folder, name), strideList);
    } catch (const UsageError& problem) {
      throw UsageError(path + ":" + std::to_string(line) + ": " + problem.what());
    }
  }
  return script;
}

ScriptOutcome runScript(const PreparedScript& script, PanelSession& session, std::FILE* out,
                        bool keep) {
  ScriptOutcome outcome;
  TraceWriter* const trace = session.trace();
  const auto& panel = session.panel();
  int graphicsWidth = InitialGraphicsWidth;
  // The script was checked as it was prepared: this second reading finds no problem.
  forEachHostCall(script.text, [&](const ScriptCall& call, std::string_view line) {
    const std::vector<uint32_t>& n = call.numbers;
    if (trace != nullptr) trace->annotate(std::to_string(call.line) + ": " + std::string(line));
    const uint64_t framesBefore = panel.frameCount();
    const uint64_t operationsBefore = panel.operationCount();
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
          if (keep) {
            exported::continueDisplay();
          } else {
            LCD_Init();
          }
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
        case ScriptCommand::SendToGfxMemory:
          LCD_SendToGfxMemory(
              script.bitmaps.bitmap(bitmapPath(script.folder, call.text), graphicsWidth).data(),
              n[0], n[1], n[2], n[3], n[4]);
          break;
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
    CallCost& cost = outcome.costs[static_cast<std::size_t>(call.command)];
    ++cost.calls;
    cost.frames += panel.frameCount() - framesBefore;
    cost.operations += panel.operationCount() - operationsBefore;
    if (!failure.empty()) {
      ++outcome.failures;
      std::fflush(out);
      std::fprintf(stderr, "%s:%zu: %s failed: %s\n", script.name.c_str(), call.line,
                   std::string(exportedName(call.command)).c_str(), failure.c_str());
    } else if (call.command == ScriptCommand::SetIOPropertys) {
      graphicsWidth = configuredGraphicsWidth(call);
    }
  });
  return outcome;
}

void printCallCosts(const CallCosts& costs, std::FILE* out) {
  CallCost total;
  auto print = [out](std::string_view name, const CallCost& cost) {
    std::fprintf(out, "stats %.*s calls %llu frames %llu operations %llu\n",
                 static_cast<int>(name.size()), name.data(),
                 static_cast<unsigned long long>(cost.calls),
                 static_cast<unsigned long long>(cost.frames),
                 static_cast<unsigned long long>(cost.operations));
  };
  for (std::size_t command = 0; command < costs.size(); ++command) {
    const CallCost& cost = costs[command];
    if (cost.calls == 0) continue;
    print(exportedName(static_cast<ScriptCommand>(command)), cost);
    total.calls += cost.calls;
    total.frames += cost.frames;
    total.operations += cost.operations;
  }
  print("total", total);
}

}  // namespace om6211::cli
