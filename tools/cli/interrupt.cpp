#include "interrupt.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <utility>
#include <vector>

#include "tool_error.h"

namespace {

volatile std::sig_atomic_t gSignal = 0;
pthread_t gMainThread;

// Changed only with the signals blocked, so the handler, which runs on the main thread only,
// never sees them half changed.
std::vector<std::string> gRemoveOnExit;
std::vector<std::pair<int, off_t>> gTruncateOnExit;

constexpr int kStopSignals[] = {SIGINT, SIGTERM};

// Blocks the stop signals on this thread while it lives.
class StopSignalsBlocked {
public:
    StopSignalsBlocked() {
        sigset_t stop;
        sigemptyset(&stop);
        for (const int signal : kStopSignals) {
            sigaddset(&stop, signal);
        }
        pthread_sigmask(SIG_BLOCK, &stop, &previous_);
    }
    ~StopSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignalsBlocked(const StopSignalsBlocked&) = delete;
    StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

void UndoAndExit(int signal) {
    for (const std::string& path : gRemoveOnExit) {
        unlink(path.c_str());
    }
    for (const auto& [descriptor, length] : gTruncateOnExit) {
        // Nothing more can be done on the way out if this fails.
        [[maybe_unused]] const int result = ftruncate(descriptor, length);
    }
    DieOf(signal);
}

void OnStopSignal(int signal) {
    // FFmpeg's and the driver's threads pass the signal on, so that it interrupts whatever
    // the main thread is waiting for.
    if (!pthread_equal(pthread_self(), gMainThread)) {
        pthread_kill(gMainThread, signal);
        return;
    }
    if (gSignal != 0) {
        UndoAndExit(gSignal);
    }
    gSignal = signal;
}

int AnswerInterrupted(void*) {
    return gSignal != 0;
}

}  // namespace

void HandleInterrupts() {
    gMainThread = pthread_self();
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read or write that waits is interrupted and sees the request.
    action.sa_flags = 0;
    for (const int signal : kStopSignals) {
        sigaction(signal, &action, nullptr);
    }
    // A reader that goes away (a player closed) is reported as an error, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
}

void DieOf(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // Inside its handler the signal is blocked; unblocked, the raised one ends the process.
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

int InterruptingSignal() {
    return gSignal;
}

void StopIfInterrupted() {
    if (gSignal != 0) {
        throw ToolError("interrupted", 128 + gSignal);
    }
}

AVIOInterruptCB InterruptCallback() {
    return {AnswerInterrupted, nullptr};
}

void RemoveOnExit(const std::string& path) {
    const StopSignalsBlocked blocked;
    gRemoveOnExit.push_back(path);
}

void ForgetRemoveOnExit(const std::string& path) {
    const StopSignalsBlocked blocked;
    std::erase(gRemoveOnExit, path);
}

void TruncateOnExit(int descriptor, off_t length) {
    const StopSignalsBlocked blocked;
    gTruncateOnExit.emplace_back(descriptor, length);
}

void ForgetTruncateOnExit(int descriptor) {
    const StopSignalsBlocked blocked;
    std::erase_if(gTruncateOnExit,
                  [descriptor](const auto& entry) { return entry.first == descriptor; });
}
