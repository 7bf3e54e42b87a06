// Every processor variant of the RGB conversions against the portable reference of its own
// arithmetic, byte for byte, on random pictures: all widths and row counts, aligned and
// unaligned destinations, strides with gaps that must stay untouched, and sources that end at
// an unreadable page so that any over-read faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "convert/rgb_field_kernels.h"
#include "rgb_test_support.h"

namespace {

struct Geometry {
    int destinationOffset;   // from a 16-byte boundary
    int destinationPadding;  // gap bytes after each destination row
    int sourceStrideFactor;  // 2: every other source row, as the sessions read fields
};

class RgbVariantTest : public ::testing::TestWithParam<RgbKernelCase> {
  protected:
    void SetUp() override { UseTablesOf(GetParam().tableClass); }

    // Runs the kernel and `reference` on one source into sentinel-filled destinations; the
    // kernel's output is left in actual_, the reference's in expected_.
    void Convert(FieldKernel reference, int width, int rows, const Geometry& geometry) {
        const RgbOperation operation = GetParam().operation;
        const int sourceRowBytes = width * SourceBytesPerPixel(operation);
        const int sourceStride = sourceRowBytes * geometry.sourceStrideFactor;
        GuardedPicture source(sourceRowBytes, rows, sourceStride, width * 7 + rows);
        rowBytes_ = width * DestinationBytesPerPixel(operation);
        stride_ = rowBytes_ + geometry.destinationPadding;
        const std::size_t bytes = static_cast<std::size_t>(stride_) * rows + 64;
        expected_.assign(bytes, kSentinel);
        storage_.assign(bytes + 32, kSentinel);
        actual_ = AlignedStart() + geometry.destinationOffset;

        reference(expected_.data(), source.data(), width, rows, stride_, sourceStride);
        GetParam().kernel(actual_, source.data(), width, rows, stride_, sourceStride);
    }

    void ExpectSame(int width, int rows, const Geometry& geometry) {
        SCOPED_TRACE(testing::Message()
                     << width << " x " << rows << ", offset " << geometry.destinationOffset
                     << ", padding " << geometry.destinationPadding);
        Convert(GetParam().reference, width, rows, geometry);
        ASSERT_EQ(std::memcmp(expected_.data(), actual_, expected_.size()), 0);
        for (int row = 0; row < rows; ++row) {
            const BYTE* gap = actual_ + static_cast<std::size_t>(row) * stride_ + rowBytes_;
            for (int i = 0; i < stride_ - rowBytes_; ++i) {
                ASSERT_EQ(gap[i], kSentinel) << "row " << row << " gap byte " << i;
            }
        }
    }

    BYTE* AlignedStart() {
        const auto address = reinterpret_cast<UINT_PTR>(storage_.data());
        return storage_.data() + (16 - address % 16) % 16;
    }

    std::vector<BYTE> expected_;
    std::vector<BYTE> storage_;
    BYTE* actual_ = nullptr;
    int rowBytes_ = 0;
    int stride_ = 0;
};

TEST_P(RgbVariantTest, MatchesItsReferenceOnRandomPictures) {
    for (int width : {16, 32, 720, 1920}) {
        for (int rows : {1, 3, 288}) {
            ExpectSame(width, rows, {0, 0, 1});
        }
    }
}

TEST_P(RgbVariantTest, MatchesItsReferenceAtUnalignedDestinations) {
    for (int offset : {1, 8, 15}) {
        ExpectSame(720, 3, {offset, 0, 1});
        ExpectSame(32, 288, {offset, 0, 1});
    }
}

TEST_P(RgbVariantTest, LeavesStrideGapsAndSkippedSourceRowsAlone) {
    // Gaps of 40 bytes break the 16-byte alignment of later rows; gaps of 48 keep it.
    for (int padding : {40, 48}) {
        for (int offset : {0, 4}) {
            ExpectSame(720, 3, {offset, padding, 2});
            ExpectSame(16, 288, {offset, padding, 2});
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, RgbVariantTest, ::testing::ValuesIn(AllRgbKernelCases()),
                         [](const auto& info) { return info.param.name; });

// The MMX encoders against the main reference: chroma to the bit, luma at most one lower (the
// narrow luma works at half the precision; without residue it never comes out higher).
class NarrowEncoderTest : public ::testing::TestWithParam<RgbKernelCase> {};

TEST_P(NarrowEncoderTest, StaysWithinOneLevelOfTheReference) {
    UseTablesOf(3);
    const bool rgb24 = GetParam().operation == RgbOperation::EncodeRgb24;
    const FieldKernel reference = rgb24 ? EncodeRgb24Field_C : EncodeRgb32Field_C;
    const int width = 1920;
    const int rows = 16;
    const int sourceRowBytes = width * (rgb24 ? 3 : 4);
    const std::vector<BYTE> source =
        RandomBytes(static_cast<std::size_t>(sourceRowBytes) * rows, 5);
    std::vector<BYTE> expected(static_cast<std::size_t>(2 * width) * rows);
    std::vector<BYTE> actual(expected.size());
    reference(expected.data(), source.data(), width, rows, 2 * width, sourceRowBytes);
    GetParam().kernel(actual.data(), source.data(), width, rows, 2 * width, sourceRowBytes);
    int lowerLuma = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int difference = actual[i] - expected[i];
        if (i % 2 == 0) {
            ASSERT_EQ(difference, 0) << "chroma byte " << i;
        } else {
            ASSERT_TRUE(difference == 0 || difference == -1) << "luma byte " << i;
            lowerLuma += difference != 0;
        }
    }
    EXPECT_GT(lowerLuma, 0);  // the comparison does see the narrow arithmetic
}

INSTANTIATE_TEST_SUITE_P(Mmx, NarrowEncoderTest,
                         ::testing::Values(AllRgbKernelCases()[0], AllRgbKernelCases()[4]),
                         [](const auto& info) { return info.param.name; });

}  // namespace
