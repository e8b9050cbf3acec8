#include "StdcallCaller.h"

// uint32_t om6211_call_with_slots(function, slots, count, eax_out), cdecl: pushes the slots
// right to left onto a 16-byte aligned block end, calls, and returns the bytes the callee
// removed. The stack pointer after the pushes is kept in %edi, which the callee preserves.
// Built for 32-bit Linux (ELF) and 32-bit Windows (PE/COFF), whose symbol directives differ.
#if defined(_WIN32)
#define OM6211_SECTION_BEGIN ".text\n"
#define OM6211_SYMBOL_TYPE ".def om6211_call_with_slots; .scl 2; .type 32; .endef\n"
#define OM6211_SECTION_END ""
#else
#define OM6211_SECTION_BEGIN ".pushsection .text\n"
#define OM6211_SYMBOL_TYPE ".type om6211_call_with_slots, @function\n"
#define OM6211_SECTION_END ".size om6211_call_with_slots, .-om6211_call_with_slots\n.popsection\n"
#endif
asm(OM6211_SECTION_BEGIN ".globl om6211_call_with_slots\n" OM6211_SYMBOL_TYPE R"(
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
)" OM6211_SECTION_END);

// Named without the leading underscore that 32-bit Windows gives C symbols.
extern "C" uint32_t om6211_call_with_slots(void (*function)(), const uint32_t* slots,
                                           uint32_t count,
                                           uint32_t* eax) asm("om6211_call_with_slots");

namespace om6211::testing {

StdcallOutcome callStdcall(void (*function)(), const std::vector<uint32_t>& slots) {
  StdcallOutcome outcome{};
  outcome.bytesRemoved = om6211_call_with_slots(function, slots.data(),
                                                static_cast<uint32_t>(slots.size()), &outcome.eax);
  return outcome;
}

}  // namespace om6211::testing
