// The field order swap: a picture shifted up by one line on compression and down by one line
// on decompression, through a scratch block that only grows.
#include <cstdint>

#include "codec/compressor.h"
#include "codec/decompressor.h"
#include "session_test.h"

namespace {

constexpr LONG kWidth = 720;
constexpr LONG kHeight = 576;
constexpr std::size_t kFieldBytes = kWidth * kHeight;
constexpr std::size_t kUyvyRowBytes = 2 * kWidth;

Bytes FieldLines(const Bytes& frame, std::size_t pixels) {
    return Bytes(frame.begin() + static_cast<std::ptrdiff_t>(pixels),
                 frame.begin() + static_cast<std::ptrdiff_t>(pixels + kFieldBytes));
}

// The rows of a top-down picture in the given order.
Bytes Rows(const Bytes& picture, std::size_t rowBytes, const std::vector<int>& order) {
    Bytes rows;
    rows.reserve(order.size() * rowBytes);
    for (int row : order) {
        const Bytes line = RowOf(picture, rowBytes, row);
        rows.insert(rows.end(), line.begin(), line.end());
    }
    return rows;
}

std::vector<int> Sequence(int first, int last, int step) {
    std::vector<int> rows;
    for (int row = first; row <= last; row += step) {
        rows.push_back(row);
    }
    return rows;
}

// The top-down picture with every line one up and the top line at the bottom.
Bytes ShiftedUp(const Bytes& topDown, std::size_t rowBytes) {
    std::vector<int> order = Sequence(1, static_cast<int>(topDown.size() / rowBytes) - 1, 1);
    order.push_back(0);
    return Rows(topDown, rowBytes, order);
}

class FieldOrderSwapTest : public SessionTest {};

TEST_F(FieldOrderSwapTest, CompressionMovesThePictureUpOneLine) {
    SetChangeFieldsOrder(true);
    const Bytes picture = RandomUyvy(kWidth, kHeight, 31);
    const Bytes frame = Compress(kUyvy, kWidth, kHeight, picture);
    std::vector<int> oddField = Sequence(2, kHeight - 2, 2);
    oddField.push_back(0);
    EXPECT_EQ(FieldLines(frame, 12), Rows(picture, kUyvyRowBytes, oddField));
    EXPECT_EQ(FieldLines(frame, 20 + kFieldBytes),
              Rows(picture, kUyvyRowBytes, Sequence(1, kHeight - 1, 2)));
}

struct SwapPath {
    PictureFormat input;
    PictureFormat output;
    LONG height;
};

const SwapPath kSwapPaths[] = {
    {kUyvy, kUyvy, kHeight},  {kRgb24, kRgb24, kHeight}, {kRgb24, kRgb24, -kHeight},
    {kYuy2, kRgb24, kHeight}, {kRgb32, kYvyu, kHeight},  {kY16A, kY16, -kHeight},
};

Bytes SourceOf(const PictureFormat& format) {
    return IsRgb(format)
               ? RandomRgbBlocks(kWidth, kHeight, format.bitCount / 8, 32)
               : UyvyToLayout(RandomUyvy(kWidth, kHeight, 33), kWidth, kHeight, format.compression);
}

// Each line is converted on its own, so shifting before and after changes no byte.
TEST_F(FieldOrderSwapTest, SwappingOnBothSidesGivesThePictureBack) {
    for (const SwapPath& path : kSwapPaths) {
        const Bytes source = SourceOf(path.input);
        SetChangeFieldsOrder(false);
        const Bytes plain = Decompress(Compress(path.input, kWidth, path.height, source),
                                       path.output, kWidth, path.height);
        SetChangeFieldsOrder(true);
        const Bytes swapped = Decompress(Compress(path.input, kWidth, path.height, source),
                                         path.output, kWidth, path.height);
        EXPECT_EQ(swapped, plain) << path.input.name << " to " << path.output.name;
    }
}

TEST_F(FieldOrderSwapTest, SwappingOnCompressionOnlyGivesThePictureOneLineHigher) {
    for (const SwapPath& path : kSwapPaths) {
        const Bytes source = SourceOf(path.input);
        const std::size_t rowBytes = RowBytes(path.output, kWidth);
        SetChangeFieldsOrder(false);
        const Bytes plain = Decompress(Compress(path.input, kWidth, path.height, source),
                                       path.output, kWidth, path.height);
        SetChangeFieldsOrder(true);
        const Bytes frame = Compress(path.input, kWidth, path.height, source);
        SetChangeFieldsOrder(false);
        const Bytes higher = Decompress(frame, path.output, kWidth, path.height);
        // Bottom-up pictures are compared top-down.
        const bool bottomUp = IsRgb(path.output) && path.height > 0;
        const Bytes plainTopDown = bottomUp ? FlipRows(plain, rowBytes) : plain;
        const Bytes higherTopDown = bottomUp ? FlipRows(higher, rowBytes) : higher;
        EXPECT_EQ(higherTopDown, ShiftedUp(plainTopDown, rowBytes))
            << path.input.name << " to " << path.output.name << " at height " << path.height;
    }
}

// A skipped frame still gets the scratch copied back: the previous frame's picture.
TEST_F(FieldOrderSwapTest, SkippedFrameShowsThePreviousPicture) {
    SetChangeFieldsOrder(true);
    const Bytes first = Compress(kUyvy, kWidth, kHeight, RandomUyvy(kWidth, kHeight, 34));
    const Bytes second = Compress(kUyvy, kWidth, kHeight, RandomUyvy(kWidth, kHeight, 35));
    const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
    Bytes shown(output.biSizeImage);
    ASSERT_EQ(DecompressFrame(first, static_cast<DWORD>(first.size()), output, shown), ICERR_OK);
    const Bytes firstPicture = shown;
    ASSERT_EQ(DecompressFrame(second, static_cast<DWORD>(second.size()), output, shown,
                              ICDECOMPRESS_HURRYUP),
              ICERR_OK);
    EXPECT_EQ(shown, firstPicture);
}

bool IsAlignedTo128(const BYTE* address) {
    return reinterpret_cast<std::uintptr_t>(address) % 128 == 0;
}

TEST_F(FieldOrderSwapTest, SmallerFramesReuseTheScratchBlock) {
    SetChangeFieldsOrder(true);
    const BITMAPINFOHEADER large = UncompressedHeader(kRgb24, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(large), ICERR_OK);
    ScratchBlock& scratch = Instance()->ActiveCompressor->Scratch();
    EXPECT_EQ(scratch.Aligned(), nullptr);

    CompressFrame(large, SourceOf(kRgb24), kWidth, kHeight, 2 * kFieldBytes + 20);
    const BYTE* block = scratch.Aligned();
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(IsAlignedTo128(block));
    EXPECT_EQ(scratch.Capacity(), 3 * kWidth * kHeight);

    const BITMAPINFOHEADER small = UncompressedHeader(kUyvy, 16, 16);
    CompressFrame(small, RandomUyvy(16, 16, 36), 16, 16, 2 * 16 * 16 + 20);
    EXPECT_EQ(scratch.Aligned(), block);
    EXPECT_EQ(scratch.Capacity(), 3 * kWidth * kHeight);

    const BITMAPINFOHEADER larger = UncompressedHeader(kRgb32, kWidth, kHeight);
    CompressFrame(larger, SourceOf(kRgb32), kWidth, kHeight, 2 * kFieldBytes + 20);
    EXPECT_TRUE(IsAlignedTo128(scratch.Aligned()));
    EXPECT_EQ(scratch.Capacity(), 4 * kWidth * kHeight);
}

TEST_F(FieldOrderSwapTest, DecompressionScratchHasTheOutputPicturesSize) {
    SetChangeFieldsOrder(true);
    const Bytes frame = Compress(kUyvy, kWidth, kHeight, RandomUyvy(kWidth, kHeight, 37));
    const BITMAPINFOHEADER output = UncompressedHeader(kRgb24, kWidth, kHeight);
    ASSERT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
    Bytes picture(output.biSizeImage);
    ASSERT_EQ(DecompressFrame(frame, static_cast<DWORD>(frame.size()), output, picture), ICERR_OK);
    const ScratchBlock& scratch = Instance()->ActiveDecompressor->Scratch();
    EXPECT_TRUE(IsAlignedTo128(scratch.Aligned()));
    EXPECT_EQ(scratch.Capacity(), 3 * kWidth * kHeight);
}

// A frame whose picture is too large to copy (each frame brings its own formats): the frame
// step is not run and the host's buffer stays as it was.
TEST_F(FieldOrderSwapTest, NoScratchMeansNoFrame) {
    SetChangeFieldsOrder(true);
    ASSERT_EQ(CompressBegin(UncompressedHeader(kRgb24, 16, 16)), ICERR_OK);
    const BITMAPINFOHEADER input = UncompressedHeader(kRgb24, 65536, 32768);
    const CompressCall call = CompressFrame(input, Bytes(), 65536, 32768, 64);
    EXPECT_EQ(call.answer, ICERR_OK);
    EXPECT_EQ(call.frame, Bytes(64, 0xEE));
    EXPECT_EQ(Instance()->ActiveCompressor->Scratch().Aligned(), nullptr);
}

}  // namespace
