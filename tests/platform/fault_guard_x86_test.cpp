// The 32-bit Windows guards leave a faulted body through the system's exception dispatch, not
// through a return: what the caller finds afterwards is checked at the instruction level. The
// callee-saved registers and the stack pointer are as before the call, the direction flag is
// clear, the x87 register stack is empty (after MMX code and after x87 code alike), and
// exception records that the body registered are unwound, their handlers told so. Exceptions
// that are no faults pass on.
#include <gtest/gtest.h>

#include "platform/fault_guard.h"

#include <windows.h>

namespace {

constexpr DWORD kDirectionFlag = 0x400;

// Bodies written in assembly, so that they can do what no compiled code does before a fault.
extern "C" {
// Gives EBX, ESI, EDI and EBP values of their own, sets the direction flag and reads address 0.
void QlnuTestScrambleRegistersAndFault(void*);
// Pushes eight values onto the x87 register stack, filling it, and reads address 0.
void QlnuTestFillX87StackAndFault(void*);
// Runs an MMX instruction, which tags every x87 register in use, and reads address 0.
void QlnuTestUseMmxAndFault(void*);
// Reads address 0.
void QlnuTestFault(void*);
// The guards' own exception handler.
EXCEPTION_DISPOSITION __cdecl QlnuHandleGuardedFault(EXCEPTION_RECORD* exception, void* frame,
                                                     CONTEXT* context, void* dispatcher);
}

asm(".text\n"
    ".globl _QlnuTestScrambleRegistersAndFault\n"
    "_QlnuTestScrambleRegistersAndFault:\n"
    "    movl $0x5B5B5B5B, %ebx\n"
    "    movl $0x5C5C5C5C, %esi\n"
    "    movl $0x5D5D5D5D, %edi\n"
    "    movl $0x5E5E5E5E, %ebp\n"
    "    std\n"
    "    movl 0, %eax\n"
    "    ret\n"
    ".globl _QlnuTestFillX87StackAndFault\n"
    "_QlnuTestFillX87StackAndFault:\n"
    "    fld1\n    fld1\n    fld1\n    fld1\n    fld1\n    fld1\n    fld1\n    fld1\n"
    "    movl 0, %eax\n"
    "    ret\n"
    ".globl _QlnuTestUseMmxAndFault\n"
    "_QlnuTestUseMmxAndFault:\n"
    "    movd %eax, %mm0\n"
    "    movl 0, %eax\n"
    "    ret\n"
    ".globl _QlnuTestFault\n"
    "_QlnuTestFault:\n"
    "    movl 0, %eax\n"
    "    ret\n");

struct CallerView {
    DWORD ebx, esi, edi, ebp;
    DWORD stackShift;  // the stack pointer after the call less the one before
    DWORD flags;
    DWORD completed;
};

// Calls RunGuardedCall(body, nullptr) with marked callee-saved registers, and reports what the
// caller finds in them afterwards. The output record's address waits on the stack, where only a
// guard that gives the stack back as it found it leaves it.
CallerView CallWithMarkedRegisters(GuardedBody body) {
    CallerView view{};
    CallerView* out = &view;
    auto* guard = &RunGuardedCall;
    asm volatile(
        "pushl %%ebp\n\t"
        "pushl %%eax\n\t"
        "movl $0x0B0B0B0B, %%ebx\n\t"
        "movl $0x05050505, %%esi\n\t"
        "movl $0x0D0D0D0D, %%edi\n\t"
        "movl $0x0E0E0E0E, %%ebp\n\t"
        "pushl %%esp\n\t"
        "pushl $0\n\t"
        "pushl %%ecx\n\t"
        "call *%%edx\n\t"
        "addl $8, %%esp\n\t"
        "movzbl %%al, %%eax\n\t"
        "popl %%ecx\n\t"
        "negl %%ecx\n\t"
        "leal (%%esp, %%ecx), %%ecx\n\t"
        "pushfl\n\t"
        "popl %%edx\n\t"
        "xchgl %%eax, (%%esp)\n\t"
        "movl %%ebx, 0(%%eax)\n\t"
        "movl %%esi, 4(%%eax)\n\t"
        "movl %%edi, 8(%%eax)\n\t"
        "movl %%ebp, 12(%%eax)\n\t"
        "movl %%ecx, 16(%%eax)\n\t"
        "movl %%edx, 20(%%eax)\n\t"
        "popl %%ecx\n\t"
        "movl %%ecx, 24(%%eax)\n\t"
        "cld\n\t"
        "popl %%ebp"
        : "+a"(out), "+c"(body), "+d"(guard)
        :
        : "ebx", "esi", "edi", "memory", "cc");
    return view;
}

// 1 + 1 on the x87 stack, as compiled floating-point code would compute it.
int OnePlusOneOnX87() {
    int sum = 0;
    asm volatile("fld1\n\tfld1\n\tfaddp\n\tfistpl %0" : "=m"(sum));
    return sum;
}

TEST(FaultGuardX86, FaultGivesTheCallerItsRegistersAndStackBack) {
    const CallerView view = CallWithMarkedRegisters(QlnuTestScrambleRegistersAndFault);
    EXPECT_EQ(view.completed, 0u);
    EXPECT_EQ(view.ebx, 0x0B0B0B0Bu);
    EXPECT_EQ(view.esi, 0x05050505u);
    EXPECT_EQ(view.edi, 0x0D0D0D0Du);
    EXPECT_EQ(view.ebp, 0x0E0E0E0Eu);
    EXPECT_EQ(view.stackShift, 0u);
    EXPECT_EQ(view.flags & kDirectionFlag, 0u);
}

TEST(FaultGuardX86, FaultLeavesTheX87StackEmpty) {
    ASSERT_EQ(OnePlusOneOnX87(), 2);
    EXPECT_FALSE(RunGuardedCall(QlnuTestFillX87StackAndFault, nullptr));
    EXPECT_EQ(OnePlusOneOnX87(), 2);
    // Every processor the tests run on has MMX; the compiler's own check says so independently.
    ASSERT_TRUE(__builtin_cpu_supports("mmx"));
    EXPECT_FALSE(RunGuardedCall(QlnuTestUseMmxAndFault, nullptr));
    EXPECT_EQ(OnePlusOneOnX87(), 2);
}

// An exception record that the body registers, as a library with its own __try/__finally
// does, is unwound: its handler is asked first and then told that the stack unwinds, and the
// thread's chain (at fs:[0]) is back where it was. Records lie deeper on the stack than the ones
// before them, so the body's lies in the body's own frame.
int gUnwindCalls = 0;
int gOtherCalls = 0;

EXCEPTION_DISPOSITION NTAPI CountCalls(EXCEPTION_RECORD* exception, void*, CONTEXT*, void*) {
    ++((exception->ExceptionFlags & EXCEPTION_UNWINDING) != 0 ? gUnwindCalls : gOtherCalls);
    return ExceptionContinueSearch;
}

EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head = nullptr;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

TEST(FaultGuardX86, RecordsTheBodyRegisteredAreUnwound) {
    EXCEPTION_REGISTRATION_RECORD* const chainBefore = ChainHead();
    EXPECT_FALSE(RunGuarded([] {
        EXCEPTION_REGISTRATION_RECORD inner{{ChainHead()}, {CountCalls}};
        asm volatile("movl %0, %%fs:0" : : "r"(&inner) : "memory");
        QlnuTestFault(nullptr);
    }));
    EXPECT_EQ(gOtherCalls, 1);
    EXPECT_EQ(gUnwindCalls, 1);
    EXPECT_EQ(ChainHead(), chainBefore);
}

// The guard's handler passes on what is not a fault, and anything while an unwind passes through
// its record: an exit unwind's STATUS_UNWIND has an error code too. (The cases it takes never
// return to the caller; the tests above make them.)
TEST(FaultGuardX86, HandlerPassesOnWhatItMustNotEnd) {
    constexpr DWORD kStatusUnwind = 0xC0000027;
    constexpr DWORD kThreadName = 0x406D1388;
    const struct {
        DWORD code, flags;
    } cases[] = {{EXCEPTION_BREAKPOINT, 0},
                 {DBG_PRINTEXCEPTION_C, 0},
                 {kThreadName, 0},
                 {EXCEPTION_ACCESS_VIOLATION, EXCEPTION_UNWINDING},
                 {kStatusUnwind, EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND}};
    for (const auto& c : cases) {
        EXCEPTION_RECORD exception{};
        exception.ExceptionCode = c.code;
        exception.ExceptionFlags = c.flags;
        EXPECT_EQ(QlnuHandleGuardedFault(&exception, nullptr, nullptr, nullptr),
                  ExceptionContinueSearch)
            << std::hex << c.code;
    }
}

}  // namespace
