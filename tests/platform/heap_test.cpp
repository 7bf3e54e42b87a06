// The POSIX private heap: blocks are its own until freed, and destroying it frees the rest.
#include <gtest/gtest.h>

#include "platform/win_api.h"

namespace {

TEST(PrivateHeapTest, CountsLiveBlocksAndFreesOnlyItsOwn) {
    HANDLE heap = HeapCreate(0, 0x10000, 0);
    HANDLE other = HeapCreate(0, 0x10000, 0);
    ASSERT_NE(heap, nullptr);
    void* first = HeapAlloc(heap, 0, 100);
    void* second = HeapAlloc(heap, 0, 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(PosixHeapLiveBlockCount(heap), 2u);

    EXPECT_EQ(HeapFree(other, 0, first), FALSE) << "a block of another heap";
    EXPECT_EQ(HeapFree(heap, 0, first), TRUE);
    EXPECT_EQ(HeapFree(heap, 0, first), FALSE) << "freed twice";
    EXPECT_EQ(PosixHeapLiveBlockCount(heap), 1u);

    // The remaining block goes with the heap (LeakSanitizer checks it).
    EXPECT_EQ(HeapDestroy(heap), TRUE);
    EXPECT_EQ(HeapDestroy(other), TRUE);
}

TEST(PrivateHeapTest, NoHeapAllocatesNothing) {
    EXPECT_EQ(HeapAlloc(nullptr, 0, 16), nullptr);
    EXPECT_EQ(PosixHeapLiveBlockCount(nullptr), 0u);
}

}  // namespace
