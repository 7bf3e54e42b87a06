// 32-bit Windows fault guards: frame-based structured exception handling, which every 32-bit
// Windows has (vectored handlers came only with Windows XP). Each guard pushes an exception
// registration record onto the thread's chain at fs:[0] and calls the body. When a fault
// reaches the record, its handler does what a compiler's __except does: it unwinds the records
// registered above it (their termination handlers run, as in a board library that faults
// inside its own __try), then moves the stack back to the record and leaves the guard there.
//
// The guard's entry and exit are written in assembly so that nothing depends on how the
// compiler lays out a frame: the entry saves the callee-saved registers EBX, ESI, EDI and EBP
// below the record, so the exit after a fault restores them from the record's own stack, with
// the stack pointer the record's address. The exit also empties the x87 register stack, as
// every function must on return: a fault in MMX code leaves every register tagged in use, and
// the host's next floating-point load would overflow. FFREE is on every processor, unlike EMMS.
// (The direction flag needs nothing: the system clears it before it calls any handler.)
//
// The chain is per thread, so no thread-local slot, lock or first-use step is needed.
#include "platform/fault_guard.h"
#include "platform/win_api.h"

// The 32-bit driver is built without C++ exceptions (nothing in it throws, and the unwinder is
// runtime code for newer processors); a body could not end on one here.
#if __cpp_exceptions
#error "the 32-bit guards serve code built without C++ exceptions"
#endif

extern "C" {
// Calls body(context) inside a guard record: 1 when the body returned, 0 after a fault.
int __cdecl QlnuCallInGuardFrame(GuardedBody body, void* context);
// Unwinds the records above `frame` and leaves its guard with 0; never returns.
[[noreturn]] void __cdecl QlnuLeaveGuardFrame(EXCEPTION_REGISTRATION_RECORD* frame,
                                              EXCEPTION_RECORD* exception);
EXCEPTION_DISPOSITION __cdecl QlnuHandleGuardedFault(EXCEPTION_RECORD* exception, void* frame,
                                                     CONTEXT* context, void* dispatcher);
}

// The frame of a guard, from its record up:
//   0  Next     the record registered before (fs:[0] on entry)
//   4  Handler  QlnuHandleGuardedFault
//   8  EDI, ESI, EBX, EBP of the caller, then its return address and the two arguments.
asm(R"(
    .text
    .p2align 4
    .globl _QlnuCallInGuardFrame
_QlnuCallInGuardFrame:
    pushl %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $_QlnuHandleGuardedFault
    pushl %fs:0
    movl %esp, %fs:0
    pushl 32(%esp)
    call *32(%esp)
    addl $4, %esp
    movl $1, %eax
QlnuGuardFrameExit:
    popl %fs:0
    addl $4, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .p2align 4
    .globl _QlnuLeaveGuardFrame
_QlnuLeaveGuardFrame:
    movl 4(%esp), %eax
    movl 8(%esp), %ecx
    pushl $0
    pushl %ecx
    pushl $QlnuGuardFrameUnwound
    pushl %eax
    call *__imp__RtlUnwind@16
QlnuGuardFrameUnwound:
    movl 4(%esp), %esp
    ffree %st(0)
    ffree %st(1)
    ffree %st(2)
    ffree %st(3)
    ffree %st(4)
    ffree %st(5)
    ffree %st(6)
    ffree %st(7)
    xorl %eax, %eax
    jmp QlnuGuardFrameExit
)");

namespace {

// Error-severity codes are the processor's faults (and other failures raised as exceptions);
// debugger notifications and breakpoints have other severities and pass on.
bool IsFault(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u;
}

}  // namespace

// The handler takes the C calling convention, as the compilers' own frame handlers do; every
// system's dispatcher accepts it. RtlUnwind may change EBX, ESI and EDI, which compiled code
// would not expect of a call; it is called from the assembly above, which restores everything
// from the guard's frame afterwards.
EXCEPTION_DISPOSITION __cdecl QlnuHandleGuardedFault(EXCEPTION_RECORD* exception, void* frame,
                                                     CONTEXT*, void*) {
    // While an outer handler unwinds, this record is only being passed on its way out.
    if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0 ||
        !IsFault(exception->ExceptionCode)) {
        return ExceptionContinueSearch;
    }
    QlnuLeaveGuardFrame(static_cast<EXCEPTION_REGISTRATION_RECORD*>(frame), exception);
}

bool RunGuardedCall(GuardedBody body, void* context) noexcept {
    return QlnuCallInGuardFrame(body, context) != 0;
}
