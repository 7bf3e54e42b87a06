// Fault guards: faults and exceptions inside a guard end the guarded code and nothing else;
// guards nest; a fault outside every guard still ends the process.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "convert/repack_kernels.h"
#include "convert/yuv_repacker.h"
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

TEST(FaultGuard, BodyThatReturnsCompletes) {
    int runs = 0;
    EXPECT_TRUE(RunGuarded([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
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

// The dispatcher guards its kernel: rows before the unreadable pages are converted, the call
// returns, and the next call works.
TEST(FaultGuard, KernelReadingIntoAnUnreadablePageReturns) {
    const int width = 1024;  // one source row is exactly a page when pages are 4096 bytes
    const int rowBytes = 2 * width;
    const int rows = 8;
    GuardedPages source(static_cast<std::size_t>(rowBytes) * rows);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source.data()[i] = static_cast<BYTE>(i * 13);
    }
    const std::size_t unreadablePages = source.size() / 2 / GuardedPages::PageSize();
    const std::size_t readableRows = (source.size() - unreadablePages * GuardedPages::PageSize()) /
                                     static_cast<std::size_t>(rowBytes);
    source.ProtectLastPages(unreadablePages);

    std::vector<BYTE> destination(source.size(), 0xA5);
    std::vector<BYTE> expected(source.size(), 0xA5);
    PackYuy2Field_C(expected.data(), source.data(), width, static_cast<int>(readableRows), rowBytes,
                    rowBytes);
    YuvRepacker repacker;
    repacker.PackYuy2Field(destination.data(), source.data(), width, rows, rowBytes, rowBytes);
    EXPECT_EQ(std::memcmp(destination.data(), expected.data(), readableRows * rowBytes), 0);

    std::vector<BYTE> again(source.size(), 0);
    repacker.PackYuy2Field(again.data(), source.data(), width, static_cast<int>(readableRows),
                           rowBytes, rowBytes);
    EXPECT_EQ(std::memcmp(again.data(), expected.data(), readableRows * rowBytes), 0);
    // Floating-point code still works after a kernel was cut short.
    volatile double half = 0.5;
    EXPECT_EQ(half * 4.0, 2.0);
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
