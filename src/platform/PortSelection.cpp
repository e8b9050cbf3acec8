#include "platform/PortSelection.h"

#include <charconv>
#include <cstdio>

namespace om6211 {
namespace {

// Every back end as it is written, with what it is; the error of any text that does not read
// lists them all.
struct BackEnd {
  std::string_view syntax;
  std::string_view meaning;
};
constexpr BackEnd BackEnds[] = {
    {"virtual", "the virtual panel on the data register 378"},
    {"virtual:BASE", "the virtual panel on another data register, BASE in hexadecimal"},
    {"ppdev:/dev/parportN", "the kernel's parallel-port device"},
    {"direct:BASE", "direct port I/O at BASE, x86 only, root or CAP_SYS_RAWIO"},
};

// Port addresses are 16 bits; the control register sits two above the base.
constexpr uint32_t HighestBase = 0xFFFD;

[[noreturn]] void refuse(std::string_view text, std::string_view reason) {
  std::string message = "unknown port back end '" + std::string(text) + "': ";
  if (!reason.empty()) message += std::string(reason) + "; ";
  message += "this build's port back ends are";
  const char* separator = " ";
  for (const BackEnd& backEnd : BackEnds) {
    message += separator + std::string(backEnd.syntax) + " (" + std::string(backEnd.meaning) + ")";
    separator = ", ";
  }
  throw PortSelectionError(message);
}

uint32_t parseBase(std::string_view text, std::string_view digits) {
  uint32_t base = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, base, 16);
  if (digits.empty() || error != std::errc() || stop != end || base > HighestBase) {
    refuse(text, "BASE is a hexadecimal port address from 0 to fffd");
  }
  return base;
}

}  // namespace

std::string PortSelection::description() const {
  char hexBase[8];
  std::snprintf(hexBase, sizeof hexBase, "%x", static_cast<unsigned>(base));
  switch (kind) {
    case Kind::Virtual:
      return std::string("the virtual panel at ") + hexBase;
    case Kind::Direct:
      return std::string("direct I/O at ") + hexBase;
    case Kind::Ppdev:
      break;
  }
  return device;
}

PortSelection parsePortSelection(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const bool hasArgument = colon != std::string_view::npos;
  const std::string_view argument = hasArgument ? text.substr(colon + 1) : std::string_view();
  if (name == "virtual") {
    if (!hasArgument) return {};
    return {PortSelection::Kind::Virtual, parseBase(text, argument), {}};
  }
  if (name == "direct" && hasArgument) {
    return {PortSelection::Kind::Direct, parseBase(text, argument), {}};
  }
  if (name == "ppdev" && hasArgument) {
    if (argument.empty()) refuse(text, "name the device, e.g. ppdev:/dev/parport0");
    return {PortSelection::Kind::Ppdev, 0x378, std::string(argument)};
  }
  refuse(text, "");
}

}  // namespace om6211
