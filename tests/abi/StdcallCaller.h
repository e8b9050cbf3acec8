#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

namespace om6211::testing {

// What a stdcall call did to the caller's stack and registers.
struct StdcallOutcome {
  uint32_t bytesRemoved;  // by the callee, on top of its return address
  uint32_t eax;           // the result register
};

// Calls `function` the way a 32-bit Windows host does: pushes `slots` right to left (the last
// slot first), calls, and measures how far the stack pointer moved back. Whatever the callee
// removes, the caller's stack is restored afterwards.
StdcallOutcome callStdcall(void (*function)(), const std::vector<uint32_t>& slots);

// Any entry point as the address `callStdcall` calls, whatever its declared parameters.
template <typename Function>
requires std::is_function_v<Function>
void (*anyFunction(Function* function))() {
  return reinterpret_cast<void (*)()>(function);
}

template <typename Function>
requires std::is_function_v<Function> StdcallOutcome
callStdcall(Function* function, const std::vector<uint32_t>& slots) {
  return callStdcall(anyFunction(function), slots);
}

}  // namespace om6211::testing
