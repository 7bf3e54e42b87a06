// Fault guards: faults and exceptions inside a guard end the guarded code and nothing else;
// guards nest; a fault outside every guard still ends the process.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/fault_guard.h"
#include "support/guarded_pages.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

BYTE ReadByte(const BYTE* at) {
    return *static_cast<const volatile BYTE*>(at);
}

// The first byte past the area, which is unreadable.
const BYTE* PastTheEnd(const GuardedPages& pages) {
    return pages.data() + pages.size();
}

TEST(FaultGuard, FaultEndsTheBodyAndKeepsWhatItWrote) {
    GuardedPages pages(64);
    int before = 0;
    int after = 0;
    EXPECT_FALSE(RunGuarded([&] {
        before = 1;
        after = ReadByte(PastTheEnd(pages)) + 1;
    }));
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(RunGuarded([&] { after = ReadByte(pages.data()) + 1; }));
    EXPECT_EQ(after, 1);
}

TEST(FaultGuard, ExceptionEndsTheBody) {
    EXPECT_FALSE(RunGuarded([] { throw std::runtime_error("thrown"); }));
    EXPECT_FALSE(RunGuarded([] { throw 7; }));
}

TEST(FaultGuard, ExceptionCaughtInsideTheBodyIsNotAFault) {
    int caught = 0;
    EXPECT_TRUE(RunGuarded([&] {
        try {
            throw std::runtime_error("handled");
        } catch (const std::exception&) {
            ++caught;
        }
    }));
    EXPECT_EQ(caught, 1);
}

TEST(FaultGuard, GuardsNest) {
    GuardedPages pages(64);
    bool inner = true;
    int afterInner = 0;
    EXPECT_TRUE(RunGuarded([&] {
        inner = RunGuarded([&] { ReadByte(PastTheEnd(pages)); });
        afterInner = 1;
    }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(afterInner, 1);

    int outerReached = 0;
    EXPECT_FALSE(RunGuarded([&] {
        EXPECT_TRUE(RunGuarded([] {}));
        outerReached = 1;
        ReadByte(PastTheEnd(pages));
        outerReached = 2;
    }));
    EXPECT_EQ(outerReached, 1);
}

TEST(FaultGuard, ManyFaultsInARow) {
    GuardedPages pages(64);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_FALSE(RunGuarded([&] { ReadByte(PastTheEnd(pages)); }));
    }
}

TEST(FaultGuardDeathTest, FaultOutsideAnyGuardStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
#ifdef _WIN32
            // An unhandled fault ends the child at once instead of starting a debugger.
            SetUnhandledExceptionFilter([](EXCEPTION_POINTERS* exception) -> LONG {
                TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
                return EXCEPTION_CONTINUE_SEARCH;
            });
#endif
            GuardedPages pages(64);
            RunGuarded([] {});  // the handler is installed
            ReadByte(PastTheEnd(pages));
        },
        "");
}

}  // namespace
