#include "ports/portable/Remedy.h"

#include <algorithm>

namespace om6211 {

const Remedy* remedyFor(std::span<const Remedy> table, std::string_view call, int code) {
  const auto row = std::find_if(table.begin(), table.end(), [&](const Remedy& remedy) {
    return remedy.call == call && remedy.codes.contains(code);
  });
  return row != table.end() ? &*row : nullptr;
}

std::string openFailureMessage(std::string_view target, std::string_view call,
                               std::string_view detail, const Remedy* remedy,
                               std::string_view findings) {
  std::string message(target);
  message += ": ";
  message += remedy != nullptr ? remedy->problem : "cannot be opened";
  message += " (" + std::string(call) + ": " + std::string(detail) + ").";
  if (remedy == nullptr) return message;
  if (remedy->showsFindings) message += " " + std::string(findings);
  message += " " + std::string(remedy->fix);
  return message + troubleshootingReference(remedy->anchor);
}

}  // namespace om6211
