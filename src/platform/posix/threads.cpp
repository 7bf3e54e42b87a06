#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/posix/refusal.h"
#include "platform/posix/win_functions.h"

namespace {

// A flag under a lock with a condition to wait on; waiting consumes nothing by itself.
struct Signal {
    std::mutex lock;
    std::condition_variable changed;

    template <typename Ready>
    bool WaitUntil(std::unique_lock<std::mutex>& guard, DWORD milliseconds, Ready ready) {
        if (milliseconds == INFINITE) {
            changed.wait(guard, ready);
            return true;
        }
        return changed.wait_for(guard, std::chrono::milliseconds(milliseconds), ready);
    }
};

// Every event and thread handle is one of these; the count of them is a test seam that shows
// handles left open.
std::atomic<SIZE_T> gOpenHandles{};

// Handle fault injection for tests: the events and threads still to make before one is refused.
std::atomic<SIZE_T> gHandlesBeforeRefusal{};

// A clock for tests that moves by a step at every look; a step of 0 leaves the real clock.
std::atomic<DWORD> gTickStep{};
std::atomic<DWORD> gSteppedTicks{};

class WaitableObject {
public:
    WaitableObject() { ++gOpenHandles; }
    virtual ~WaitableObject() { --gOpenHandles; }
    WaitableObject(const WaitableObject&) = delete;
    WaitableObject& operator=(const WaitableObject&) = delete;
    virtual DWORD Wait(DWORD milliseconds) = 0;
};

// An auto-reset event that starts unsignalled, the only kind the driver makes: each signal lets
// exactly one waiter through.
class Event final : public WaitableObject {
public:
    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock guard(signal_.lock);
        if (!signal_.WaitUntil(guard, milliseconds, [this] { return signalled_; })) {
            return WAIT_TIMEOUT;
        }
        signalled_ = false;
        return WAIT_OBJECT_0;
    }

    void Set() {
        std::lock_guard guard(signal_.lock);
        signalled_ = true;
        signal_.changed.notify_one();
    }

private:
    Signal signal_;
    bool signalled_ = false;
};

// The running thread shares its state with the handle, so either may go first.
class Thread final : public WaitableObject {
public:
    Thread(LPTHREAD_START_ROUTINE start, LPVOID parameter) : state_(std::make_shared<State>()) {
        std::thread([state = state_, start, parameter] {
            const DWORD exitCode = start(parameter);
            std::lock_guard guard(state->signal.lock);
            state->exitCode = exitCode;
            state->finished = true;
            state->signal.changed.notify_all();
        }).detach();
    }

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock guard(state_->signal.lock);
        return state_->signal.WaitUntil(guard, milliseconds, [this] { return state_->finished; })
                   ? WAIT_OBJECT_0
                   : WAIT_TIMEOUT;
    }

    DWORD ExitCode() {
        std::lock_guard guard(state_->signal.lock);
        return state_->finished ? state_->exitCode : STILL_ACTIVE;
    }

private:
    struct State {
        Signal signal;
        DWORD exitCode = STILL_ACTIVE;
        bool finished = false;
    };
    std::shared_ptr<State> state_;
};

WaitableObject* AsWaitable(HANDLE handle) {
    return static_cast<WaitableObject*>(handle);
}

}  // namespace

void GetSystemInfo(SYSTEM_INFO* info) {
    *info = SYSTEM_INFO{};
    info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
    info->dwNumberOfProcessors = static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN));
    info->dwAllocationGranularity = 0x10000;
}

HANDLE CreateEventA(void*, BOOL, BOOL, LPCSTR) {
    if (IsRefusedCall(gHandlesBeforeRefusal)) {
        return nullptr;
    }
    return static_cast<WaitableObject*>(new Event);
}

BOOL SetEvent(HANDLE event) {
    static_cast<Event*>(AsWaitable(event))->Set();
    return TRUE;
}

HANDLE CreateThread(void*, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD, LPDWORD) {
    if (IsRefusedCall(gHandlesBeforeRefusal)) {
        return nullptr;
    }
    try {
        return static_cast<WaitableObject*>(new Thread(start, parameter));
    } catch (...) {
        return nullptr;
    }
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    *exitCode = static_cast<Thread*>(AsWaitable(thread))->ExitCode();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return AsWaitable(handle)->Wait(milliseconds);
}

BOOL CloseHandle(HANDLE handle) {
    delete AsWaitable(handle);
    return TRUE;
}

// Sleep(0) gives up the rest of the time slice, as on Windows.
void Sleep(DWORD milliseconds) {
    std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetTickCount() {
    if (const DWORD step = gTickStep.load(); step != 0) {
        return gSteppedTicks.fetch_add(step);
    }
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

SIZE_T PosixOpenHandleCount() {
    return gOpenHandles;
}

void PosixRefuseHandle(SIZE_T nth) {
    gHandlesBeforeRefusal = nth;
}

bool PosixHandleRefusalPending() {
    return gHandlesBeforeRefusal != 0;
}

void PosixStepTickCount(DWORD milliseconds) {
    gTickStep = milliseconds;
}
