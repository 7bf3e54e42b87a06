// Every processor variant of every kernel family against its portable reference, byte for
// byte, over a table of picture shapes: sources and destinations that end where an unreadable
// page begins, sentinel bytes before, between and after the destination rows, one row and odd
// row counts, odd numbers of blocks, both stride signs, unaligned destinations; and after each
// call the x87/MMX registers must be free again.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>

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
class RowArea {
public:
    RowArea(int rowBytes, int rows, int distance, std::size_t tail)
        : rowBytes_(rowBytes),
          rows_(rows),
          distance_(distance),
          pages_(kLeadBytes + Span() + tail) {}

    std::size_t Span() const {
        return static_cast<std::size_t>(distance_) * (rows_ - 1) + rowBytes_;
    }
    BYTE* Lowest() const { return pages_.data() + kLeadBytes; }
    BYTE* Pointer(bool bottomUp) const {
        return bottomUp ? Lowest() + static_cast<std::size_t>(distance_) * (rows_ - 1) : Lowest();
    }
    int Stride(bool bottomUp) const { return bottomUp ? -distance_ : distance_; }
    const GuardedPages& Pages() const { return pages_; }

    // True if a byte is outside every row, where no kernel may write.
    bool OutsideRows(std::size_t offset) const {
        if (offset < kLeadBytes || offset >= kLeadBytes + Span()) {
            return true;
        }
        return (offset - kLeadBytes) % distance_ >= static_cast<std::size_t>(rowBytes_);
    }

private:
    int rowBytes_;
    int rows_;
    int distance_;
    GuardedPages pages_;
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
    for (std::size_t i = 0; i < source.Pages().size(); ++i) {
        source.Pages().data()[i] = static_cast<BYTE>(random());
    }
    const int rowBytes = shape.width * operation.destinationBytesPerPixel;
    const int distance = rowBytes + shape.destinationGap;
    const std::size_t span = static_cast<std::size_t>(distance) * (shape.rows - 1) + rowBytes;
    // The tail puts the lowest row at its offset; without gaps it may be none at all.
    const std::size_t tail =
        (16 - (span + shape.destinationOffset) % 16) % 16 + (shape.destinationGap > 0 ? 16 : 0);
    const RowArea expected(rowBytes, shape.rows, distance, tail);
    const RowArea actual(rowBytes, shape.rows, distance, tail);
    ASSERT_EQ(reinterpret_cast<UINT_PTR>(actual.Lowest()) % 16,
              static_cast<UINT_PTR>(shape.destinationOffset));
    std::memset(expected.Pages().data(), kSentinel, expected.Pages().size());
    std::memset(actual.Pages().data(), kSentinel, actual.Pages().size());
    const BYTE* from = source.Pointer(shape.bottomUp);
    const int sourceStride = source.Stride(shape.bottomUp);

    reference(expected.Pointer(shape.bottomUp), from, shape.width, shape.rows,
              expected.Stride(shape.bottomUp), sourceStride);
    variant(actual.Pointer(shape.bottomUp), from, shape.width, shape.rows,
            actual.Stride(shape.bottomUp), sourceStride);
    EXPECT_EQ(X87TagWord(), 0xFFFFu) << "the MMX registers were left in use";

    ASSERT_EQ(std::memcmp(expected.Pages().data(), actual.Pages().data(), actual.Pages().size()),
              0);
    for (std::size_t i = 0; i < expected.Pages().size(); ++i) {
        if (expected.OutsideRows(i)) {
            ASSERT_EQ(expected.Pages().data()[i], kSentinel) << "byte " << i << " outside the rows";
        }
    }
}

using VariantCase =
    std::tuple<FieldOperation, std::pair<const char*, FieldKernel FieldKernelRow::*>>;

class FieldVariantTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(FieldVariantTest, WritesTheBytesOfItsReference) {
    const auto& [operation, family] = GetParam();
    FieldKernel FieldKernelRow::*variant = family.second;
    // The RGB variants read the coefficient table in the layout of their class.
    FillTablesAs(ClassOf(variant));
    const FieldKernel reference =
        variant == &FieldKernelRow::mmx ? operation.mmxReference : operation.reference;
    for (const Shape& shape : kShapes) {
        ExpectSameBytes(operation.slot->Row().*variant, reference, operation, shape);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, FieldVariantTest,
    ::testing::Combine(::testing::ValuesIn(kFieldOperations),
                       ::testing::Values(std::pair{"MMX", &FieldKernelRow::mmx},
                                         std::pair{"SSE", &FieldKernelRow::sse},
                                         std::pair{"SSE2", &FieldKernelRow::sse2},
                                         std::pair{"AMD", &FieldKernelRow::amd})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).first;
    });

struct CopyCase {
    const char* name;
    CopyFunction copy;
};

const CopyCase kCopyVariants[] = {
    {"Plain", FastCopy_Plain},
    {"MMX", FastCopy_MMX},
    {"Streaming", FastCopy_Streaming},
    {"StreamingSparse", FastCopy_StreamingSparse},
    {"StreamingDescending", FastCopy_StreamingDescending},
};

class CopyVariantTest : public ::testing::TestWithParam<CopyCase> {};

// Source and destination both end where an unreadable page begins.
TEST_P(CopyVariantTest, CopiesLikeAByteLoop) {
    const DWORD counts[] = {0, 1, 31, 32, 33, 8191, 8192, 8192 + 33, 3 * 8192 + 77, (1u << 20) + 5};
    std::mt19937 random(3);
    for (DWORD count : counts) {
        for (int sourceOffset : {0, 1, 3}) {
            for (int destinationOffset : {0, 5}) {
                SCOPED_TRACE(testing::Message() << count << " bytes, offsets " << sourceOffset
                                                << ", " << destinationOffset);
                GuardedPages source(count + sourceOffset);
                for (std::size_t i = 0; i < source.size(); ++i) {
                    source.data()[i] = static_cast<BYTE>(random());
                }
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

INSTANTIATE_TEST_SUITE_P(FastCopy, CopyVariantTest, ::testing::ValuesIn(kCopyVariants),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
