// 64-bit Windows fault guards: a vectored exception handler jumps back to the innermost
// recovery point of the faulting thread. The compiler has no structured exception handling, so
// the recovery point is a __builtin_setjmp buffer. (The 32-bit driver, which must load on
// systems without vectored handlers, registers exception frames instead: fault_guard_x86.cpp.)
#include "platform/fault_guard.h"
#include "platform/win_api.h"

namespace {

struct RecoveryPoint {
    void* jump[5];
    RecoveryPoint* outer;
};

// The innermost recovery point of each thread lives in this thread-local slot.
DWORD gGuardSlot = TLS_OUT_OF_INDEXES;

enum : LONG { kNotInstalled, kInstalling, kInstalled };
volatile LONG gInstallState = kNotInstalled;

RecoveryPoint* InnermostGuard() {
    return static_cast<RecoveryPoint*>(TlsGetValue(gGuardSlot));
}

void SetInnermostGuard(RecoveryPoint* point) {
    TlsSetValue(gGuardSlot, point);
}

// Error-severity codes are the processor's faults (and other failures raised as exceptions);
// C++ exceptions and debugger notifications have other severities and pass through.
bool IsFault(DWORD code) {
    return (code & 0xC0000000u) == 0xC0000000u;
}

LONG CALLBACK HandleFault(EXCEPTION_POINTERS* exception) {
    if (!IsFault(exception->ExceptionRecord->ExceptionCode)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // TlsGetValue clears the thread's last error; a fault nobody guards must reach the next
    // handler with it unchanged.
    const DWORD lastError = GetLastError();
    RecoveryPoint* guard = InnermostGuard();
    SetLastError(lastError);
    if (guard == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    __builtin_longjmp(guard->jump, 1);
}

// The first guard of the process allocates the slot and installs the handler; guards that
// start meanwhile on other threads wait until both are in place.
bool InstallOnce() {
    if (InterlockedCompareExchange(&gInstallState, kInstalled, kInstalled) != kInstalled) {
        if (InterlockedCompareExchange(&gInstallState, kInstalling, kNotInstalled) ==
            kNotInstalled) {
            gGuardSlot = TlsAlloc();
            if (gGuardSlot != TLS_OUT_OF_INDEXES) {
                AddVectoredExceptionHandler(1, HandleFault);
            }
            InterlockedExchange(&gInstallState, kInstalled);
        }
        while (InterlockedCompareExchange(&gInstallState, kInstalled, kInstalled) != kInstalled) {
            Sleep(0);
        }
    }
    return gGuardSlot != TLS_OUT_OF_INDEXES;
}

// A C++ exception that leaves the body ends it too.
bool CallBody(GuardedBody body, void* context) {
    try {
        body(context);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace

// Without a thread-local slot (the process has used up every one) no fault could be caught,
// so the body is not run at all: the call is cut short before it starts.
bool RunGuardedCall(GuardedBody body, void* context) noexcept {
    if (!InstallOnce()) {
        return false;
    }
    RecoveryPoint point;
    point.outer = InnermostGuard();
    if (__builtin_setjmp(point.jump) != 0) {
        SetInnermostGuard(point.outer);
        return false;
    }
    SetInnermostGuard(&point);
    const bool completed = CallBody(body, context);
    SetInnermostGuard(point.outer);
    return completed;
}
