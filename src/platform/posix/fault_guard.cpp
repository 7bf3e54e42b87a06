// POSIX fault guards: a handler for the fault signals jumps back to the innermost recovery
// point of the faulting thread, or passes the signal on to the handler installed before it.
#include <csetjmp>
#include <csignal>
#include <mutex>

#include "platform/fault_guard.h"

namespace {

struct RecoveryPoint {
    sigjmp_buf jump;
    RecoveryPoint* outer;
};

thread_local RecoveryPoint* volatile tInnermostGuard = nullptr;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
struct sigaction gPreviousActions[std::size(kFaultSignals)];

struct sigaction& PreviousActionFor(int signal) {
    std::size_t index = 0;
    while (kFaultSignals[index] != signal) {
        ++index;
    }
    return gPreviousActions[index];
}

// No guard on this thread: behave as if this handler had never been installed.
void PassOn(int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = PreviousActionFor(signal);
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // Restoring the old disposition lets a real fault end the process when the faulting
    // instruction runs again; a signal that was sent rather than raised by a fault is resent.
    sigaction(signal, &previous, nullptr);
    if (info->si_code <= 0) {
        raise(signal);
    }
}

void HandleFault(int signal, siginfo_t* info, void* context) {
    if (RecoveryPoint* guard = tInnermostGuard) {
        siglongjmp(guard->jump, 1);
    }
    PassOn(signal, info, context);
}

// SA_NODEFER leaves the signal unblocked while the handler runs, so jumping out of it needs
// no saved signal mask and a guard costs no system call.
void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = HandleFault;
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kFaultSignals); ++i) {
        sigaction(kFaultSignals[i], &action, &gPreviousActions[i]);
    }
}

}  // namespace

bool RunGuardedCall(GuardedBody body, void* context) noexcept {
    static std::once_flag installed;
    std::call_once(installed, InstallHandler);

    RecoveryPoint point;
    point.outer = tInnermostGuard;
    if (sigsetjmp(point.jump, 0) != 0) {
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
