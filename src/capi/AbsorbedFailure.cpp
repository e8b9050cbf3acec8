#include "capi/AbsorbedFailure.h"

#include <utility>

namespace om6211::capi {
namespace {

thread_local std::optional<std::string> absorbed;

}  // namespace

void noteAbsorbedFailure(const char* message) noexcept {
  try {
    if (!absorbed) absorbed = message;  // the first one is the cause
  } catch (...) {
    absorbed.reset();
  }
}

std::optional<std::string> takeAbsorbedFailure() {
  return std::exchange(absorbed, std::nullopt);
}

}  // namespace om6211::capi
