// Binding pattern 1 for the packed-YUV operations: which kernel each class binds, empty slots
// on classes without a variant, arguments that reach no kernel, and no classification once a
// slot is filled.
#include <gtest/gtest.h>

#include <vector>

#include "repack_operations.h"
#include "support/fake_cpu.h"

namespace {

constexpr int kWidth = 32;
constexpr int kRowBytes = 2 * kWidth;
constexpr BYTE kUntouched = 0xA5;

struct ClassExpectation {
    CpuClass cpuClass;
    FieldKernel FieldKernelRow::*variant;  // null: no variant
};

const ClassExpectation kClasses[] = {
    {0, nullptr},
    {1, &FieldKernelRow::mmx},
    {2, nullptr},
    {3, &FieldKernelRow::mmx},
    {15, &FieldKernelRow::sse},
    {31, &FieldKernelRow::sse2},
    {135, &FieldKernelRow::amd},
    {143, &FieldKernelRow::amd},
    {159, &FieldKernelRow::sse2},
};

class RepackDispatchTest : public ::testing::TestWithParam<RepackOperation> {
protected:
    void SetUp() override { ResetRepackSlots(); }
    void TearDown() override { ResetRepackSlots(); }

    // Converts `rows` rows of `width` pixels (at most kWidth and 4); answers the destination.
    std::vector<BYTE> Convert(int width, int rows) {
        const int sourceStride = 3 * kWidth;
        std::vector<BYTE> source(static_cast<std::size_t>(sourceStride) * 4, 0x11);
        std::vector<BYTE> destination(static_cast<std::size_t>(kRowBytes) * 4 + 64, kUntouched);
        YuvRepacker repacker;
        (repacker.*GetParam().dispatcher)(destination.data(), source.data(), width, rows, kRowBytes,
                                          sourceStride);
        return destination;
    }

    static bool Untouched(const std::vector<BYTE>& bytes) {
        for (BYTE b : bytes) {
            if (b != kUntouched) {
                return false;
            }
        }
        return true;
    }
};

TEST_P(RepackDispatchTest, EachClassBindsItsVariant) {
    for (const ClassExpectation& expectation : kClasses) {
        SCOPED_TRACE(expectation.cpuClass);
        GetParam().slot->ResetForTesting();
        ScopedFakeProcessor fake(expectation.cpuClass);
        const std::vector<BYTE> destination = Convert(kWidth, 1);
        if (expectation.variant == nullptr) {
            EXPECT_EQ(GetParam().slot->Bound(), nullptr);
            EXPECT_TRUE(Untouched(destination));
        } else {
            EXPECT_EQ(GetParam().slot->Bound(), GetParam().kernels.*expectation.variant);
            EXPECT_FALSE(Untouched(destination));
        }
    }
}

TEST_P(RepackDispatchTest, ClassWithoutVariantLeavesSlotEmptyAndClassifiesEveryCall) {
    for (CpuClass cpuClass : {0, 2}) {
        ScopedFakeProcessor fake(cpuClass);
        int queries = 0;
        for (int call = 0; call < 5; ++call) {
            EXPECT_TRUE(Untouched(Convert(kWidth, 3)));
            EXPECT_EQ(GetParam().slot->Bound(), nullptr);
            EXPECT_GT(ScopedFakeProcessor::Queries(), queries);
            queries = ScopedFakeProcessor::Queries();
        }
    }
}

TEST_P(RepackDispatchTest, FilledSlotDoesNotClassifyAgain) {
    ScopedFakeProcessor fake(31);
    Convert(kWidth, 1);
    const int queries = ScopedFakeProcessor::Queries();
    EXPECT_GT(queries, 0);
    Convert(kWidth, 2);
    EXPECT_EQ(ScopedFakeProcessor::Queries(), queries);
    EXPECT_EQ(GetParam().slot->Bound(), GetParam().kernels.sse2);
}

TEST_P(RepackDispatchTest, NarrowOrEmptyPicturesReachNoKernel) {
    ScopedFakeProcessor fake(31);
    const int cases[][2] = {{0, 1}, {8, 1}, {15, 3}, {-16, 1}, {16, 0}, {32, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " x " << c[1]);
        EXPECT_TRUE(Untouched(Convert(c[0], c[1])));
    }
    EXPECT_EQ(ScopedFakeProcessor::Queries(), 0);
    EXPECT_EQ(GetParam().slot->Bound(), nullptr);
}

TEST(RepackDispatch, UnpackYuy2BindsThePackerKernelsThroughItsOwnSlot) {
    ResetRepackSlots();
    ScopedFakeProcessor fake(15);
    std::vector<BYTE> source(64, 1);
    std::vector<BYTE> destination(64);
    YuvRepacker repacker;
    repacker.UnpackYuy2Field(destination.data(), source.data(), 16, 1, 32, 32);
    EXPECT_EQ(gUnpackYuy2FieldSlot.Bound(), PackYuy2Field_SSE);
    EXPECT_EQ(gPackYuy2FieldSlot.Bound(), nullptr);
    ResetRepackSlots();
}

INSTANTIATE_TEST_SUITE_P(Operations, RepackDispatchTest, ::testing::ValuesIn(RepackOperations()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
