// The byte counts of a format at the edges of the 32-bit fields they come from, and the frame
// size that ICM_COMPRESS_GET_SIZE answers without looking at pixel format or geometry.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "driver/formats/compression_formats.h"
#include "driver/formats/format_sizes.h"
#include "formats/format_builder.h"

namespace {

struct CountCase {
    LONG width;
    LONG height;
    WORD bitCount;
    std::optional<LONG> frame;
    std::optional<LONG> picture;
};

const CountCase kCountCases[] = {
    {720, 576, 24, 829460, 1244160},
    {720, -576, 24, 829460, 1244160},
    {720, 576, 16, 829460, 829440},
    {0, 0, 24, 20, 0},
    {16, 16, 0, 532, 0},
    {1, 3, 12, 26, 3},  // 12 bits of one pixel round down to one byte a row
    {-16, 0, 24, 20, 0},
    {-16, 16, 24, std::nullopt, std::nullopt},
    {32752, 32768, 16, 2146435092, 2146435072},
    {32768, 32768, 16, std::nullopt, std::nullopt},
    {65536, 32768, 16, std::nullopt, std::nullopt},  // 2^32 + 20 would wrap to 20
    {16, INT_MIN, 24, std::nullopt, std::nullopt},
    {INT_MIN, INT_MIN, 24, std::nullopt, std::nullopt},
    {INT_MAX, INT_MAX, 65535, std::nullopt, std::nullopt},
    {16823217, 2147483646, 20424, std::nullopt, std::nullopt},  // rows x row: 5 x 2^64 + 2147483566
    {INT_MAX, 0, 65535, 20, 0},
    {1, INT_MAX, 8, std::nullopt, INT_MAX},  // the largest picture: rows x row just fits
    {1, 1, 65535, 22, 8191},
};

TEST(FormatSizesTest, FrameAndPictureSizes) {
    EXPECT_EQ(CompressGetSize(nullptr), ICERR_BADFORMAT);
    for (const CountCase& c : kCountCases) {
        const BITMAPINFOHEADER format = MakeFormat(BI_RGB, c.bitCount, c.width, c.height);
        EXPECT_EQ(CompressedFrameSize(format), c.frame) << c.width << " x " << c.height;
        EXPECT_EQ(CompressGetSize(&format), c.frame.value_or(ICERR_BADFORMAT)) << c.width;
        EXPECT_EQ(PictureSize(format), c.picture)
            << c.width << " x " << c.height << " at " << c.bitCount;
    }
}

TEST(FormatSizesTest, FormatSizeCountsTheColourWords) {
    struct {
        DWORD size;
        DWORD colours;
        std::optional<LONG> expected;
    } const cases[] = {{40, 0, 40},
                       {40, 3, 52},
                       {0, 0, 0},
                       {40, 0x1FFFFFF5, 0x7FFFFFFC},
                       {40, 0x1FFFFFF6, std::nullopt},
                       {0x7FFFFFFF, 0, 0x7FFFFFFF},
                       {0x80000000, 0, std::nullopt},
                       {0xFFFFFFFF, 0xFFFFFFFF, std::nullopt}};
    for (const auto& c : cases) {
        BITMAPINFOHEADER format = Pal(BI_RGB, 24);
        format.biSize = c.size;
        format.biClrUsed = c.colours;
        EXPECT_EQ(FormatSize(format), c.expected) << c.size << " + 4 x " << c.colours;
    }
}

}  // namespace
