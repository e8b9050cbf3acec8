#include "lcdproc/PortSelection.h"

#include <charconv>

namespace om6211::lcdd {
namespace {

// Port addresses are 16 bits; the control register sits two above the base.
constexpr uint32_t HighestBase = 0xFFFD;

uint32_t parseBase(std::string_view text) {
  uint32_t base = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), base, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      base > HighestBase) {
    throw std::invalid_argument("the port address must be hexadecimal, 0 to FFFD");
  }
  return base;
}

}  // namespace

PortSelection parsePortSelection(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  const std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  if (kind == "virtual") {
    if (colon == std::string_view::npos) return {};
    return {PortSelection::Kind::Virtual, parseBase(rest), {}};
  }
  if (kind == "direct" && colon != std::string_view::npos) {
    return {PortSelection::Kind::Direct, parseBase(rest), {}};
  }
  if (kind == "ppdev" && !rest.empty()) {
    return {PortSelection::Kind::Ppdev, 0, std::string(rest)};
  }
  throw std::invalid_argument("expected virtual, virtual:BASE, ppdev:/dev/parportN or direct:BASE");
}

}  // namespace om6211::lcdd
