// Fault guards: faults and exceptions inside a guard end the guarded code and nothing else;
// guards nest; a fault outside every guard still ends the process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include "platform/fault_guard.h"
#include "support/guarded_pages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

BYTE ReadByte(const BYTE* at) {
    return *static_cast<const volatile BYTE*>(at);
}

// The first byte past the area, which is unreadable.
BYTE ReadPastTheEnd(const GuardedPages& pages) {
    return ReadByte(pages.data() + pages.size());
}

// A fault ends the body but keeps what it wrote, again and again; a guard that ran to its end
// answers true.
TEST(FaultGuard, FaultEndsTheBodyAndKeepsWhatItWrote) {
    GuardedPages pages(64);
    for (int i = 0; i < 1000; ++i) {
        int before = 0;
        int after = 0;
        ASSERT_FALSE(RunGuarded([&] {
            before = 1;
            after = ReadPastTheEnd(pages) + 1;
        }));
        ASSERT_EQ(before, 1);
        ASSERT_EQ(after, 0);
    }
    EXPECT_TRUE(RunGuarded([&] { ReadByte(pages.data()); }));
}

// An exception that leaves the body ends it; one caught inside the body is no fault. (The
// 32-bit Windows driver is built without C++ exceptions, and so are its guards.)
#if !(defined(_WIN32) && defined(__i386__))
TEST(FaultGuard, ExceptionEndsTheBodyUnlessCaughtInside) {
    EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("thrown"); }));
    EXPECT_FALSE(RunGuarded([] { throw 7; }));
    EXPECT_TRUE(RunGuarded([] {
        try {
            throw std::runtime_error("handled");
        } catch (const std::exception&) {
        }
    }));
}
#endif

TEST(FaultGuard, GuardsNest) {
    GuardedPages pages(64);
    int reached = 0;
    EXPECT_TRUE(RunGuarded([&] {
        EXPECT_FALSE(RunGuarded([&] { ReadPastTheEnd(pages); }));
        reached = 1;
    }));
    EXPECT_EQ(reached, 1);
    EXPECT_FALSE(RunGuarded([&] {
        EXPECT_TRUE(RunGuarded([] {}));
        reached = 2;
        ReadPastTheEnd(pages);
        reached = 3;
    }));
    EXPECT_EQ(reached, 2);
}

#ifdef _WIN32
// An unhandled fault ends the process at once instead of starting a debugger.
LONG WINAPI EndProcessOnFault(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}
#endif

TEST(FaultGuardDeathTest, FaultOutsideAnyGuardStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
#ifdef _WIN32
            SetUnhandledExceptionFilter(EndProcessOnFault);
#endif
            GuardedPages pages(64);
            RunGuarded([] {});  // the handler is installed
            ReadPastTheEnd(pages);
        },
        "");
}

#ifndef _WIN32
// The program's own handler, installed before the guards' and given the signal's information:
// it ends the process with the signal's number.
void InstallProgramHandler(int signal) {
    struct sigaction action {};
    action.sa_sigaction = [](int, siginfo_t* info, void*) { std::_Exit(info->si_signo); };
    action.sa_flags = SA_SIGINFO;
    sigaction(signal, &action, nullptr);
}

// A signal outside every guard goes where it went before the guards: to the program's handler
// (for the first and the last of the signals the guards take, so that theirs looks for each in
// its list), or to the default action, for a signal sent as for a fault.
TEST(FaultGuardDeathTest, SignalOutsideAnyGuardGoesWhereItWentBefore) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGSEGV, SIGFPE}) {
        EXPECT_EXIT(
            {
                InstallProgramHandler(signal);
                RunGuarded([] {});
                kill(getpid(), signal);
            },
            ::testing::ExitedWithCode(signal), "");
    }
    EXPECT_EXIT(
        {
            std::signal(SIGFPE, SIG_DFL);  // a sanitizer's handler may have been there
            RunGuarded([] {});
            kill(getpid(), SIGFPE);
        },
        ::testing::KilledBySignal(SIGFPE), "");
}
#endif

}  // namespace
