// Events and threads with the Win32 semantics the field worker relies on.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/processors.h"
#include "platform/win_api.h"

namespace {

TEST(EventTest, AutoResetLetsOneWaitThroughPerSignal) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(event);
    SetEvent(event);  // signals do not add up
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

struct PingPong {
    HANDLE ping;
    HANDLE pong;
    std::atomic<int> rounds{0};
};

DWORD Responder(LPVOID parameter) {
    auto* game = static_cast<PingPong*>(parameter);
    for (int i = 0; i < 100; ++i) {
        WaitForSingleObject(game->ping, INFINITE);
        ++game->rounds;
        SetEvent(game->pong);
    }
    return 3;
}

TEST(ThreadTest, HandsOffThroughTwoEventsAndEndsWithItsExitCode) {
    PingPong game{CreateEventA(nullptr, FALSE, FALSE, nullptr),
                  CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, Responder, &game, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 100; ++i) {
        SetEvent(game.ping);
        ASSERT_EQ(WaitForSingleObject(game.pong, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
        ASSERT_EQ(game.rounds.load(), i + 1);
    }
    ASSERT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 0;
    EXPECT_EQ(GetExitCodeThread(thread, &exitCode), TRUE);
    EXPECT_EQ(exitCode, 3u);
    CloseHandle(thread);
    CloseHandle(game.ping);
    CloseHandle(game.pong);
}

struct Gate {
    HANDLE release;
    HANDLE finished;
};

DWORD PassTheGate(LPVOID parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    WaitForSingleObject(gate->release, INFINITE);
    SetEvent(gate->finished);
    return 0;
}

TEST(ThreadTest, RunningThreadReportsStillActiveAndOutlivesItsHandle) {
    Gate gate{CreateEventA(nullptr, FALSE, FALSE, nullptr),
              CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, PassTheGate, &gate, 0, nullptr);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(thread);
    SetEvent(gate.release);
    EXPECT_EQ(WaitForSingleObject(gate.finished, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(gate.release);
    CloseHandle(gate.finished);
}

TEST(ProcessorCountTest, TestsCanSetTheCount) {
    const DWORD system = ProcessorCount();
    EXPECT_GE(system, 1u);
    SetProcessorCountForTesting(1);
    EXPECT_EQ(ProcessorCount(), 1u);
    SetProcessorCountForTesting(0);
    EXPECT_EQ(ProcessorCount(), system);
}

}  // namespace
