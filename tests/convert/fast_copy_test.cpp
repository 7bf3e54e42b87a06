// FastCopy: every variant equal to a byte loop, the selector's choice per class, the slot
// after the first copy, and a source that becomes unreadable part-way.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codec/fast_copy.h"
#include "codec/fast_copy_variants.h"
#include "support/fake_cpu.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kSentinel = 0xA5;

struct CopyVariantCase {
    const char* name;
    CopyFunction copy;
};

void PrintTo(const CopyVariantCase& c, std::ostream* out) {
    *out << c.name;
}

const CopyVariantCase kVariants[] = {
    {"Plain", FastCopy_Plain},
    {"MMX", FastCopy_MMX},
    {"Streaming", FastCopy_Streaming},
    {"StreamingSparse", FastCopy_StreamingSparse},
    {"StreamingDescending", FastCopy_StreamingDescending},
};

class FastCopyVariantTest : public ::testing::TestWithParam<CopyVariantCase> {};

// The source ends at an unreadable page, so that reading past the count faults.
TEST_P(FastCopyVariantTest, CopiesLikeAByteLoop) {
    const DWORD counts[] = {0, 1, 31, 32, 33, 8191, 8192, 8192 + 33, 3 * 8192 + 77, (1u << 20) + 5};
    std::mt19937 generator(3);
    for (DWORD count : counts) {
        for (int sourceOffset : {0, 1, 3}) {
            for (int destinationOffset : {0, 5}) {
                SCOPED_TRACE(testing::Message() << count << " bytes, offsets " << sourceOffset
                                                << ", " << destinationOffset);
                GuardedPages source(count + sourceOffset);
                for (std::size_t i = 0; i < source.size(); ++i) {
                    source.data()[i] = static_cast<BYTE>(generator());
                }
                const BYTE* from = source.data() + sourceOffset;
                std::vector<BYTE> destination(count + 64, kSentinel);
                std::vector<BYTE> expected(destination);
                for (DWORD i = 0; i < count; ++i) {
                    expected[destinationOffset + i] = from[i];
                }
                GetParam().copy(destination.data() + destinationOffset, from, count);
                ASSERT_EQ(destination, expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, FastCopyVariantTest, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

class FastCopySlotTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFastCopySlotForTesting(); }
    void TearDown() override { ResetFastCopySlotForTesting(); }
};

TEST_F(FastCopySlotTest, FirstCopySelectsTheVariantOfTheClassAndCopies) {
    const struct {
        CpuClass cpuClass;
        CopyFunction variant;
    } cases[] = {{0, FastCopy_Plain},
                 {1, FastCopy_MMX},
                 {2, FastCopy_Plain},
                 {3, FastCopy_MMX},
                 {15, FastCopy_Streaming},
                 {31, FastCopy_StreamingSparse},
                 {135, FastCopy_StreamingDescending},
                 {143, FastCopy_StreamingDescending},
                 {159, FastCopy_StreamingDescending}};
    const std::vector<BYTE> source(8192 + 33, 0x3C);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cpuClass);
        ResetFastCopySlotForTesting();
        ScopedFakeProcessor fake(c.cpuClass);
        std::vector<BYTE> destination(source.size());
        FastCopy(destination.data(), source.data(), static_cast<DWORD>(source.size()));
        EXPECT_EQ(destination, source);
        EXPECT_EQ(FastCopySlotForTesting(), c.variant);
    }
}

TEST_F(FastCopySlotTest, LaterCopiesDoNotClassifyAgain) {
    ScopedFakeProcessor fake(31);
    EXPECT_TRUE(FastCopySlotHoldsResolverForTesting());
    BYTE source[100] = {1, 2, 3};
    BYTE destination[100];
    FastCopy(destination, source, sizeof source);
    const int queries = ScopedFakeProcessor::Queries();
    EXPECT_GT(queries, 0);
    FastCopy(destination, source, sizeof source);
    FastCopy(destination, source, 0);
    EXPECT_EQ(ScopedFakeProcessor::Queries(), queries);
    EXPECT_EQ(FastCopySlotForTesting(), FastCopy_StreamingSparse);
}

// The pages from `readable` on are unreadable: the copy returns, the destination holds the
// source up to the last whole step before the fault (a block variant pre-reads its 8192-byte
// block first, so a fault inside a block ends the copy at the block's start), and nothing at
// or beyond the fault is written.
void ExpectCopyEndsQuietly(CpuClass cpuClass, DWORD count, DWORD readable, DWORD copiedAtLeast) {
    SCOPED_TRACE(testing::Message() << "class " << cpuClass << ", " << count << " bytes");
    ResetFastCopySlotForTesting();
    ScopedFakeProcessor fake(cpuClass);
    GuardedPages source(count);
    for (DWORD i = 0; i < count; ++i) {
        source.data()[i] = static_cast<BYTE>(i * 7 + 1);
    }
    source.ProtectLastPages((count - readable) / GuardedPages::PageSize());
    std::vector<BYTE> destination(count, kSentinel);
    FastCopy(destination.data(), source.data(), count);
    EXPECT_EQ(std::memcmp(destination.data(), source.data(), copiedAtLeast), 0);
    for (DWORD i = readable; i < count; ++i) {
        ASSERT_EQ(destination[i], kSentinel) << i;
    }
    // The next copy works.
    std::vector<BYTE> again(readable);
    FastCopy(again.data(), source.data(), readable);
    EXPECT_EQ(std::memcmp(again.data(), source.data(), readable), 0);
}

TEST_F(FastCopySlotTest, SourceUnreadablePartWayEndsTheCopyQuietly) {
    const DWORD page = static_cast<DWORD>(GuardedPages::PageSize());
    for (CpuClass cpuClass : {0, 3, 15, 31, 159}) {
        // In the 32-byte steps after the blocks.
        ExpectCopyEndsQuietly(cpuClass, 2 * page - 192, page - 192, page - 192);
        // Inside the third of five blocks.
        ExpectCopyEndsQuietly(cpuClass, 5 * 8192, 2 * 8192 + page, 2 * 8192);
    }
}

}  // namespace
