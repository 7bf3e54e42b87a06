// The field order swap: a picture shifted up by one line on compression and down by one line
// on decompression, through a scratch block that only grows.
#include <cstdint>
#include <string>

#include "codec/compressor.h"
#include "codec/decompressor.h"
#include "codec/field_order_swap.h"
#include "session_test.h"

namespace {

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 32;

// The top-down picture with every line one up and the top line at the bottom.
Bytes ShiftedUp(const Bytes& topDown, std::size_t rowBytes) {
    Bytes shifted(topDown.begin() + static_cast<std::ptrdiff_t>(rowBytes), topDown.end());
    shifted.insert(shifted.end(), topDown.begin(),
                   topDown.begin() + static_cast<std::ptrdiff_t>(rowBytes));
    return shifted;
}

Bytes SourceOf(const PictureFormat& format, LONG width, LONG height) {
    return IsRgb(format)
               ? RandomRgbBlocks(width, height, format.bitCount / 8, 32)
               : UyvyToLayout(RandomUyvy(width, height, 33), width, height, format.compression);
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

class FieldOrderSwapTest : public SessionTest {
protected:
    Bytes RoundTrip(const SwapPath& path, const Bytes& source, bool swapCompression,
                    bool swapDecompression) {
        SetChangeFieldsOrder(swapCompression);
        const Bytes frame = Compress(path.input, kWidth, path.height, source);
        SetChangeFieldsOrder(swapDecompression);
        return Decompress(frame, path.output, kWidth, path.height);
    }
};

// Each line is converted on its own, so a swap on both sides changes no byte, and a swap on
// compression alone gives the picture one line higher.
TEST_F(FieldOrderSwapTest, ShiftsByOneLineAndBack) {
    for (const SwapPath& path : kSwapPaths) {
        SCOPED_TRACE(std::string(path.input.name) + " to " + path.output.name + " at height " +
                     std::to_string(path.height));
        const Bytes source = SourceOf(path.input, kWidth, kHeight);
        const Bytes plain = RoundTrip(path, source, false, false);
        EXPECT_EQ(RoundTrip(path, source, true, true), plain);
        const Bytes higher = RoundTrip(path, source, true, false);
        // Bottom-up pictures are compared top-down.
        const std::size_t rowBytes = RowBytes(path.output, kWidth);
        const bool bottomUp = IsRgb(path.output) && path.height > 0;
        EXPECT_EQ(bottomUp ? FlipRows(higher, rowBytes) : higher,
                  ShiftedUp(bottomUp ? FlipRows(plain, rowBytes) : plain, rowBytes));
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

TEST_F(FieldOrderSwapTest, ScratchBlockIsAlignedAndOnlyGrows) {
    SetChangeFieldsOrder(true);
    const BITMAPINFOHEADER large = UncompressedHeader(kRgb24, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(large), ICERR_OK);
    const ScratchBlock& scratch = Instance()->ActiveCompressor->Scratch();
    const std::size_t frameBytes = 2 * kWidth * kHeight + 20;
    CompressFrame(large, SourceOf(kRgb24, kWidth, kHeight), kWidth, kHeight, frameBytes);
    const BYTE* block = scratch.Aligned();
    EXPECT_TRUE(IsAlignedTo128(block));
    EXPECT_EQ(scratch.Capacity(), 3 * kWidth * kHeight);

    const BITMAPINFOHEADER small = UncompressedHeader(kUyvy, 16, 16);
    const Bytes frame = CompressFrame(small, RandomUyvy(16, 16, 36), 16, 16, 532).frame;
    EXPECT_NE(frame, Bytes(532, 0xEE)) << "a frame that reuses the block is written";
    EXPECT_EQ(scratch.Aligned(), block);
    EXPECT_EQ(scratch.Capacity(), 3 * kWidth * kHeight);

    const BITMAPINFOHEADER larger = UncompressedHeader(kRgb32, kWidth, kHeight);
    CompressFrame(larger, SourceOf(kRgb32, kWidth, kHeight), kWidth, kHeight, frameBytes);
    EXPECT_TRUE(IsAlignedTo128(scratch.Aligned()));
    EXPECT_EQ(scratch.Capacity(), 4 * kWidth * kHeight);
}

// A decompression session whose frames switch to a larger picture and back, with the swap on:
// the block grows with them, and each picture is the one a session of its own gives.
TEST_F(FieldOrderSwapTest, DecompressionBlockGrowsWithTheOutput) {
    SetChangeFieldsOrder(true);
    const Bytes small = Compress(kUyvy, 16, 16, RandomUyvy(16, 16, 37));
    const Bytes large = Compress(kUyvy, kWidth, kHeight, RandomUyvy(kWidth, kHeight, 38));
    const struct {
        const Bytes& frame;
        PictureFormat format;
        LONG width, height;
        Bytes shown;
        LONG capacity;
    } frames[] = {
        {small, kUyvy, 16, 16, Decompress(small, kUyvy, 16, 16), 2 * 16 * 16},
        {large, kRgb24, kWidth, kHeight, Decompress(large, kRgb24, kWidth, kHeight),
         3 * kWidth * kHeight},
        {small, kYuy2, 16, 16, Decompress(small, kYuy2, 16, 16), 3 * kWidth * kHeight},
    };
    ASSERT_EQ(DecompressBegin(UncompressedHeader(kUyvy, 16, 16), 16, 16), ICERR_OK);
    const ScratchBlock& scratch = Instance()->ActiveDecompressor->Scratch();
    for (const auto& f : frames) {
        const BITMAPINFOHEADER output = UncompressedHeader(f.format, f.width, f.height);
        Bytes picture(output.biSizeImage, 0xCD);
        ASSERT_EQ(DecompressFrame(f.frame, static_cast<DWORD>(f.frame.size()), output, picture),
                  ICERR_OK);
        EXPECT_EQ(picture, f.shown) << f.format.name;
        EXPECT_EQ(scratch.Capacity(), f.capacity) << f.format.name;
    }
}

// Pictures that get no scratch copy: a negative width, more than 2 GiB, or a heap that refuses.
TEST_F(FieldOrderSwapTest, FrameWithoutAScratchBlockAnswersMemoryAndWritesNothing) {
    const BITMAPINFOHEADER small = UncompressedHeader(kUyvy, 16, 16);
    ASSERT_EQ(CompressBegin(small), ICERR_OK);
    ASSERT_EQ(DecompressBegin(small, 16, 16), ICERR_OK);
    const struct {
        LONG width;
        LONG height;
        SIZE_T refused;
    } cases[] = {{-16, 16, 0}, {65536, 32768, 0}, {16, 16, 1}};
    for (const auto& c : cases) {
        BITMAPINFOHEADER picture = UncompressedHeader(kUyvy, c.width, c.height);
        BITMAPINFOHEADER frameFormat = QlnuHeader(c.width, c.height);
        Bytes frame(64, 0xEE);
        Bytes pixels(64, 0xCD);
        ICCOMPRESS compress{.lpbiOutput = &frameFormat,
                            .lpOutput = frame.data(),
                            .lpbiInput = &picture,
                            .lpInput = pixels.data()};
        ICDECOMPRESS decompress{.lpbiInput = &frameFormat,
                                .lpInput = frame.data(),
                                .lpbiOutput = &picture,
                                .lpOutput = pixels.data()};
        PosixHeapRefuseAllocation(c.refused);
        EXPECT_EQ(CompressSwapped(*Instance()->ActiveCompressor, &compress), ICERR_MEMORY);
        PosixHeapRefuseAllocation(c.refused);
        EXPECT_EQ(DecompressSwapped(*Instance()->ActiveDecompressor, &decompress), ICERR_MEMORY);
        EXPECT_EQ(frame, Bytes(64, 0xEE)) << c.width;
        EXPECT_EQ(pixels, Bytes(64, 0xCD)) << c.width;
    }
}

}  // namespace
