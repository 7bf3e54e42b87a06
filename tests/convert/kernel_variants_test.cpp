// Every processor variant of every kernel family against its portable reference, byte for
// byte, over a table of picture shapes: sources and destinations that end where an unreadable
// page begins, sentinel bytes before, between and after the destination rows, one row and odd
// row counts, odd numbers of blocks, both stride signs, unaligned destinations; and after each
// call the x87/MMX registers must be free again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "kernel_families.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kSentinel = 0xA5;
constexpr int kLeadBytes = 16;

struct Shape {
    int width;
    int rows;
    bool bottomUp;          // negative strides: each pointer given is the last row in memory
    int destinationOffset;  // of the lowest destination row from a 16-byte boundary
    int destinationGap;     // bytes between destination rows
    int sourceRowStep;      // 2: every other source row, as fields are read from a frame
};

constexpr Shape kShapes[] = {
    {16, 1, false, 0, 0, 1},   {48, 3, false, 0, 0, 1},    {720, 5, false, 0, 0, 1},
    {1920, 3, false, 0, 0, 2}, {16, 288, false, 0, 48, 2}, {720, 3, false, 1, 0, 1},
    {720, 3, false, 8, 40, 2}, {48, 5, false, 15, 48, 1},  {16, 1, true, 0, 0, 1},
    {720, 5, true, 0, 0, 1},   {48, 288, true, 4, 40, 2},  {1920, 3, true, 0, 48, 2},
    {720, 3, true, 15, 0, 1},  {32, 7, true, 8, 16, 1},    {48, 3, false, 0, 1, 1},
    {48, 3, true, 0, 17, 2},
};

// Rows of `rowBytes` bytes, `distance` apart, after kLeadBytes and followed by `tail` bytes
// that end where an unreadable page begins.
struct RowArea {
    RowArea(int rowBytes, int rows, int distance, std::size_t tail)
        : rowBytes(rowBytes),
          distance(distance),
          span(static_cast<std::size_t>(distance) * (rows - 1) + rowBytes),
          pages(kLeadBytes + span + tail) {}

    BYTE* Pointer(bool bottomUp) const {
        return pages.data() + kLeadBytes + (bottomUp ? span - rowBytes : 0);
    }
    int Stride(bool bottomUp) const { return bottomUp ? -distance : distance; }
    // True if a byte is outside every row, where no kernel may write.
    bool OutsideRows(std::size_t offset) const {
        return offset < kLeadBytes || offset >= kLeadBytes + span ||
               (offset - kLeadBytes) % distance >= static_cast<std::size_t>(rowBytes);
    }

    int rowBytes;
    int distance;
    std::size_t span;
    GuardedPages pages;
};

// Runs the variant and its reference on one random source into two sentinel-filled
// destinations of the same shape, and compares every byte of them.
void ExpectSameBytes(FieldKernel variant, FieldKernel reference, const FieldOperation& operation,
                     const Shape& shape) {
    SCOPED_TRACE(testing::Message()
                 << shape.width << " x " << shape.rows << (shape.bottomUp ? " bottom-up" : "")
                 << ", offset " << shape.destinationOffset << ", gap " << shape.destinationGap
                 << ", source step " << shape.sourceRowStep);
    const int sourceRowBytes = shape.width * operation.sourceBytesPerPixel;
    const RowArea source(sourceRowBytes, shape.rows, sourceRowBytes * shape.sourceRowStep, 0);
    std::mt19937 random(static_cast<unsigned>(shape.width * 7 + shape.rows));
    std::generate_n(source.pages.data(), source.pages.size(),
                    [&] { return static_cast<BYTE>(random()); });
    const int rowBytes = shape.width * operation.destinationBytesPerPixel;
    const int distance = rowBytes + shape.destinationGap;
    const std::size_t span = static_cast<std::size_t>(distance) * (shape.rows - 1) + rowBytes;
    // The tail puts the lowest row at its offset; without gaps it may be none at all.
    const std::size_t tail =
        (16 - (span + shape.destinationOffset) % 16) % 16 + (shape.destinationGap > 0 ? 16 : 0);
    const RowArea expected(rowBytes, shape.rows, distance, tail);
    const RowArea actual(rowBytes, shape.rows, distance, tail);
    ASSERT_EQ(reinterpret_cast<UINT_PTR>(actual.Pointer(false)) % 16,
              static_cast<UINT_PTR>(shape.destinationOffset));
    const std::size_t bytes = actual.pages.size();
    std::memset(expected.pages.data(), kSentinel, bytes);
    std::memset(actual.pages.data(), kSentinel, bytes);
    const BYTE* from = source.Pointer(shape.bottomUp);
    const int sourceStride = source.Stride(shape.bottomUp);

    reference(expected.Pointer(shape.bottomUp), from, shape.width, shape.rows,
              expected.Stride(shape.bottomUp), sourceStride);
    variant(actual.Pointer(shape.bottomUp), from, shape.width, shape.rows,
            actual.Stride(shape.bottomUp), sourceStride);
    EXPECT_EQ(X87TagWord(), 0xFFFFu) << "the MMX registers were left in use";

    ASSERT_EQ(std::memcmp(expected.pages.data(), actual.pages.data(), bytes), 0);
    for (std::size_t i = 0; i < bytes; ++i) {
        if (expected.OutsideRows(i)) {
            ASSERT_EQ(expected.pages.data()[i], kSentinel) << "byte " << i << " outside the rows";
        }
    }
}

// A processor variant and the first class that binds it: its tables are laid out as that
// variant reads them.
struct Variant {
    const char* name;
    FieldKernel FieldKernelRow::*kernel;
    CpuClass cpuClass;
};

class FieldVariantTest : public ::testing::TestWithParam<std::tuple<FieldOperation, Variant>> {};

TEST_P(FieldVariantTest, WritesTheBytesOfItsReference) {
    const auto& [operation, variant] = GetParam();
    if (!RealProcessorRuns(variant.cpuClass)) {
        GTEST_SKIP() << "the processor lacks the instructions of this variant";
    }
    FillTablesAs(variant.cpuClass);
    const FieldKernel reference =
        variant.kernel == &FieldKernelRow::mmx ? operation.mmxReference : operation.reference;
    for (const Shape& shape : kShapes) {
        ExpectSameBytes(operation.slot->Row().*variant.kernel, reference, operation, shape);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, FieldVariantTest,
    ::testing::Combine(::testing::ValuesIn(kFieldOperations),
                       ::testing::Values(Variant{"MMX", &FieldKernelRow::mmx, 1},
                                         Variant{"SSE", &FieldKernelRow::sse, 15},
                                         Variant{"SSE2", &FieldKernelRow::sse2, 31},
                                         Variant{"AMD", &FieldKernelRow::amd, 135})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

struct CopyCase {
    const char* name;
    CopyFunction copy;
    CpuClass cpuClass;  // the first class that binds it
};

class CopyVariantTest : public ::testing::TestWithParam<CopyCase> {};

// Source and destination both end where an unreadable page begins.
TEST_P(CopyVariantTest, CopiesLikeAByteLoop) {
    if (!RealProcessorRuns(GetParam().cpuClass)) {
        GTEST_SKIP() << "the processor lacks the instructions of this variant";
    }
    const DWORD counts[] = {0, 1, 31, 32, 33, 8191, 8192, 8192 + 33, 3 * 8192 + 77, (1u << 20) + 5};
    std::mt19937 random(3);
    for (DWORD count : counts) {
        for (int sourceOffset : {0, 1, 3}) {
            for (int destinationOffset : {0, 5}) {
                SCOPED_TRACE(testing::Message() << count << " bytes, offsets " << sourceOffset
                                                << ", " << destinationOffset);
                GuardedPages source(count + sourceOffset);
                std::generate_n(source.data(), source.size(),
                                [&] { return static_cast<BYTE>(random()); });
                GuardedPages destination(count + kLeadBytes + destinationOffset);
                std::memset(destination.data(), kSentinel, destination.size());
                BYTE* to = destination.data() + kLeadBytes + destinationOffset;
                GetParam().copy(to, source.data() + sourceOffset, count);
                EXPECT_EQ(X87TagWord(), 0xFFFFu) << "the MMX registers were left in use";
                for (BYTE* lead = destination.data(); lead < to; ++lead) {
                    ASSERT_EQ(*lead, kSentinel);
                }
                ASSERT_EQ(std::memcmp(to, source.data() + sourceOffset, count), 0);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    FastCopy, CopyVariantTest,
    ::testing::Values(CopyCase{"Plain", FastCopy_Plain, 0}, CopyCase{"MMX", FastCopy_MMX, 1},
                      CopyCase{"Streaming", FastCopy_Streaming, 15},
                      CopyCase{"StreamingSparse", FastCopy_StreamingSparse, 31},
                      CopyCase{"StreamingDescending", FastCopy_StreamingDescending, 135}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
