#include "StdcallCaller.h"

// uint32_t om6211_call_with_slots(function, slots, count, eax_out), cdecl: pushes the slots
// right to left onto a 16-byte aligned block end, calls, and returns the bytes the callee
// removed. The stack pointer after the pushes is kept in %edi, which the callee preserves.
asm(R"(
    .pushsection .text
    .globl om6211_call_with_slots
    .type om6211_call_with_slots, @function
om6211_call_with_slots:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    leal 0(,%ecx,4), %eax
    movl %esp, %edx
    subl %eax, %edx
    andl $15, %edx
    subl %edx, %esp
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  movl %esp, %edi
    call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 20(%ebp), %edx
    movl %eax, (%edx)
    movl %ecx, %eax
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .size om6211_call_with_slots, .-om6211_call_with_slots
    .popsection
)");

extern "C" uint32_t om6211_call_with_slots(void (*function)(), const uint32_t* slots,
                                           uint32_t count, uint32_t* eax);

namespace om6211::testing {

StdcallOutcome callStdcall(void (*function)(), const std::vector<uint32_t>& slots) {
  StdcallOutcome outcome{};
  outcome.bytesRemoved = om6211_call_with_slots(function, slots.data(),
                                                static_cast<uint32_t>(slots.size()), &outcome.eax);
  return outcome;
}

}  // namespace om6211::testing
