// Whether a thread of this process still exists, from the kernel's view (/proc/self/task), to
// see that a worker thread has really gone.
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

inline long CurrentKernelThreadId() {
    return static_cast<long>(syscall(SYS_gettid));
}

inline bool KernelThreadExists(long threadId) {
    return std::filesystem::exists("/proc/self/task/" + std::to_string(threadId));
}

inline std::set<long> KernelThreadIds() {
    std::set<long> ids;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        ids.insert(std::stol(task.path().filename().string()));
    }
    return ids;
}

// The threads in `after` that are not in `before`.
inline std::set<long> NewThreads(const std::set<long>& before, const std::set<long>& after) {
    std::set<long> added;
    for (long id : after) {
        if (before.count(id) == 0) {
            added.insert(id);
        }
    }
    return added;
}

// A thread leaves the task list shortly after its procedure returns; waits up to 10 s for that.
inline bool WaitForKernelThreadToEnd(long threadId) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (KernelThreadExists(threadId)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
