// Windows fault guards: a vectored exception handler jumps back to the innermost recovery
// point of the faulting thread. The compiler has no structured exception handling, so the
// recovery point is a __builtin_setjmp buffer; the thread's guard pointer is volatile so that
// its store is never moved past the access that faults.
#include <mutex>

#include "platform/fault_guard.h"
#include "platform/win_api.h"

namespace {

struct RecoveryPoint {
    void* jump[5];
    RecoveryPoint* outer;
};

thread_local RecoveryPoint* volatile tInnermostGuard = nullptr;

// Error-severity codes are the processor's faults (and other failures raised as exceptions);
// C++ exceptions and debugger notifications have other severities and pass through.
bool IsFault(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u;
}

LONG CALLBACK HandleFault(EXCEPTION_POINTERS* exception) {
    RecoveryPoint* guard = tInnermostGuard;
    if (guard == nullptr || !IsFault(exception->ExceptionRecord->ExceptionCode)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    __builtin_longjmp(guard->jump, 1);
}

}  // namespace

bool RunGuardedCall(GuardedBody body, void* context) noexcept {
    static std::once_flag installed;
    std::call_once(installed, [] { AddVectoredExceptionHandler(1, HandleFault); });

    RecoveryPoint point;
    point.outer = tInnermostGuard;
    if (__builtin_setjmp(point.jump) != 0) {
        tInnermostGuard = point.outer;
        return false;
    }
    tInnermostGuard = &point;
    bool completed = true;
    try {
        body(context);
    } catch (...) {
        completed = false;
    }
    tInnermostGuard = point.outer;
    return completed;
}
