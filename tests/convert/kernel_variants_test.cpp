// Every processor variant of every kernel family against its portable reference, byte for
// byte, over a table of picture shapes: sources and destinations that end where an unreadable
// page begins, sentinel bytes before, between and after the destination rows, one row and odd
// row counts, odd numbers of blocks, both stride signs, unaligned destinations; random, black
// and white pictures; and after each call the x87/MMX registers must be free again. Narrower
// MMX references are held to their bounds from the precise ones.
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

// A source picture: random bytes from `seed`, masked by `keep` and then `set`, whose byte i acts
// on byte i of every four (the top byte on the fourth byte of each 32-bit pixel).
struct Picture {
    unsigned seed;
    std::uint32_t keep, set;
};

constexpr Picture kPictures[] = {{1, ~0u, 0},        {2, ~0u, 0},         {0, 0, 0},
                                 {0, 0, ~0u},        {0, 0, 0xFF000000},  {0, 0, 0x00FFFFFF},
                                 {3, 0x00FFFFFF, 0}, {4, ~0u, 0xFF000000}};

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

// Runs the variant and its reference on one source picture into two sentinel-filled
// destinations of the same shape, and compares every byte of them: luma (odd) bytes from 0 to
// `levels` above the reference, others within `levels`; outside the rows, only sentinels.
void ExpectBytes(int levels, FieldKernel variant, FieldKernel reference,
                 const FieldOperation& operation, const Shape& shape, const Picture& picture) {
    SCOPED_TRACE(testing::Message()
                 << shape.width << " x " << shape.rows << (shape.bottomUp ? " bottom-up" : "")
                 << ", offset " << shape.destinationOffset << ", gap " << shape.destinationGap
                 << ", source step " << shape.sourceRowStep << ", picture " << picture.seed
                 << " keeping " << std::hex << picture.keep << " setting " << picture.set);
    const int sourceRowBytes = shape.width * operation.sourceBytesPerPixel;
    const RowArea source(sourceRowBytes, shape.rows, sourceRowBytes * shape.sourceRowStep, 0);
    std::mt19937 random(picture.seed << 16 ^ static_cast<unsigned>(shape.width * 7 + shape.rows));
    for (std::size_t i = 0; i < source.pages.size(); ++i) {
        const unsigned lane = 8 * (i % 4);
        source.pages.data()[i] =
            static_cast<BYTE>((random() & picture.keep >> lane) | picture.set >> lane);
    }
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

    int outOfBounds = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        if (expected.OutsideRows(i)) {
            ASSERT_EQ(expected.pages.data()[i], kSentinel) << "byte " << i << " outside the rows";
        }
        const int difference = actual.pages.data()[i] - expected.pages.data()[i];
        const bool luma = (i - kLeadBytes) % distance % 2 == 1;
        outOfBounds += difference > levels || difference < (luma ? 0 : -levels);
    }
    EXPECT_EQ(outOfBounds, 0) << "bytes out of bounds, of " << rowBytes * shape.rows;
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
    const bool avx2 = variant.kernel == &FieldKernelRow::avx2;
    if (const std::string why = WhyCannotRun(variant.cpuClass, avx2); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_NE(operation.slot->Row().*variant.kernel, nullptr) << "the processor runs it";
    FillTablesAs(variant.cpuClass);
    const bool mmx = variant.kernel == &FieldKernelRow::mmx;
    const FieldKernel reference = mmx ? operation.mmxReference : operation.reference;
    for (const Picture& picture : kPictures) {
        for (const Shape& shape : kShapes) {
            ExpectBytes(0, operation.slot->Row().*variant.kernel, reference, operation, shape,
                        picture);
            if (mmx && operation.mmxReferenceLevels) {
                ExpectBytes(*operation.mmxReferenceLevels, operation.mmxReference,
                            operation.reference, operation, shape, picture);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, FieldVariantTest,
    ::testing::Combine(::testing::ValuesIn(kFieldOperations),
                       ::testing::Values(Variant{"MMX", &FieldKernelRow::mmx, 1},
                                         Variant{"SSE", &FieldKernelRow::sse, 15},
                                         Variant{"SSE2", &FieldKernelRow::sse2, 31},
                                         Variant{"AMD", &FieldKernelRow::amd, 135},
                                         Variant{"AVX2", &FieldKernelRow::avx2, 31})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// A copy variant and the first class that binds it.
template <typename Copy>
struct CopyCase {
    const char* name;
    Copy copy;
    CpuClass cpuClass;
};

class CopyVariantTest : public ::testing::TestWithParam<CopyCase<CopyFunction>> {};

// Source and destination both end where an unreadable page begins.
TEST_P(CopyVariantTest, CopiesLikeAByteLoop) {
    if (const std::string why = WhyCannotRun(GetParam().cpuClass); !why.empty()) {
        GTEST_SKIP() << why;
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
    ::testing::Values(CopyCase<CopyFunction>{"Plain", FastCopy_Plain, 0},
                      CopyCase<CopyFunction>{"MMX", FastCopy_MMX, 1},
                      CopyCase<CopyFunction>{"Streaming", FastCopy_Streaming, 15},
                      CopyCase<CopyFunction>{"StreamingSparse", FastCopy_StreamingSparse, 31},
                      CopyCase<CopyFunction>{"StreamingDescending", FastCopy_StreamingDescending,
                                             135}),
    [](const auto& info) { return std::string(info.param.name); });

// The rows of a UYVY field, byte by byte: what every FastCopyField variant must leave.
void CopyFieldBytes(BYTE* destination, const BYTE* source, int width, int rows,
                    int destinationStride, int sourceStride) {
    for (int row = 0; row < rows; ++row) {
        std::copy_n(source + row * sourceStride, 2 * width, destination + row * destinationStride);
    }
}

using FieldCopyCase = CopyCase<FieldKernel>;

class FieldCopyVariantTest : public ::testing::TestWithParam<FieldCopyCase> {};

TEST_P(FieldCopyVariantTest, CopiesEveryRowLikeAByteLoop) {
    if (const std::string why = WhyCannotRun(GetParam().cpuClass); !why.empty()) {
        GTEST_SKIP() << why;
    }
    const FieldOperation uyvy{"FastCopyField", nullptr, CopyFieldBytes, CopyFieldBytes, 2, 2};
    for (const Shape& shape : kShapes) {
        ExpectBytes(0, GetParam().copy, CopyFieldBytes, uyvy, shape, kPictures[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FastCopyField, FieldCopyVariantTest,
    ::testing::Values(FieldCopyCase{"Plain", FastCopyField_Plain, 0},
                      FieldCopyCase{"MMX", FastCopyField_MMX, 1},
                      FieldCopyCase{"Streaming", FastCopyField_Streaming, 15},
                      FieldCopyCase{"StreamingSparse", FastCopyField_StreamingSparse, 31},
                      FieldCopyCase{"StreamingDescending", FastCopyField_StreamingDescending, 135}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
