#pragma once

#include <cstdint>
#include <string_view>

namespace om6211 {

// How the graphics and text layers combine into the byte sent to the display.
enum class MixOperator : uint8_t { Or, And, Xor };

// Exact, case-sensitive: "OR"/"or" and "AND"/"and"; anything else, empty included, is XOR.
constexpr MixOperator mixOperatorFor(std::string_view mixMode) {
  if (mixMode == "OR" || mixMode == "or") return MixOperator::Or;
  if (mixMode == "AND" || mixMode == "and") return MixOperator::And;
  return MixOperator::Xor;
}

constexpr uint8_t mix(MixOperator op, uint8_t graphics, uint8_t text) {
  switch (op) {
    case MixOperator::Or:
      return graphics | text;
    case MixOperator::And:
      return graphics & text;
    case MixOperator::Xor:
      break;
  }
  return graphics ^ text;
}

}  // namespace om6211
