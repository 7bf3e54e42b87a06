// Starts work(0) and work(1) on two threads released together, to race first calls.
#pragma once

#include <atomic>
#include <thread>

// The start gate spins rather than waits: the MinGW runtime's std::barrier can miss a wake-up
// and hang under wine.
template <typename Work>
void RaceTwoThreads(Work work) {
    std::atomic<int> arrived{0};
    auto startTogether = [&arrived] {
        arrived.fetch_add(1);
        while (arrived.load() < 2) {
            std::this_thread::yield();
        }
    };
    std::thread other([&] {
        startTogether();
        work(1);
    });
    startTogether();
    work(0);
    other.join();
}
