#include "host/InjectedPortFault.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

// Counted over the whole process, whichever port the operation passes.
uint64_t operationsSoFar = 0;

}  // namespace

uint64_t InjectedPortFault::parse(std::string_view text) {
  uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || number == 0) {
    throw std::invalid_argument(std::string(Variable) + "='" + std::string(text) +
                                "': expected the number of the port operation to fail, from 1 on");
  }
  return number;
}

std::optional<uint64_t> InjectedPortFault::fromEnvironment() {
  const char* text = std::getenv(Variable);
  if (text == nullptr) return std::nullopt;
  return parse(text);
}

void InjectedPortFault::countOperation() {
  if (++operationsSoFar == failing_) {
    throw PortFailure("port operation " + std::to_string(failing_) + " failed, as " + Variable +
                      " asked." + troubleshootingReference("injected-fault"));
  }
}

}  // namespace om6211
