// Every input format through a frame to every output format: byte-exact wherever both ends
// are packed YUV, and within the conversions' arithmetic wherever RGB is involved, with the
// top picture line on top.
#include <string>

#include "common/fourcc.h"
#include "session_test.h"

namespace {

// How far the RGB kernels may be from the floating-point references: the encoder's luma may
// be one above its rounded value and either arithmetic rounds once more; the decoder's two
// arithmetics differ from exact BT.601 by up to two levels, and its luma gain turns one level
// of encoding error into a little more.
constexpr int kEncodeTolerance = 2;
constexpr int kDecodeTolerance = 3;
constexpr int kRoundTripTolerance = 5;

// A source picture in the input format, and what it is in the frame's own samples.
struct Source {
    Bytes picture;
    Bytes uyvy;   // packed-YUV inputs: the exact samples; RGB inputs: the reference encoding
    Bytes rgb24;  // RGB inputs only
};

Source MakeSource(const PictureFormat& format, int width, int height) {
    Source source;
    if (IsRgb(format)) {
        const int pixelBytes = format.bitCount / 8;
        source.picture = RandomRgbBlocks(width, height, pixelBytes, 21);
        source.rgb24 = Rgb24Of(source.picture, pixelBytes);
        source.uyvy = ReferenceRgbToUyvy(source.picture, width, height, pixelBytes);
    } else {
        source.uyvy = RandomUyvy(width, height, 22);
        source.picture = UyvyToLayout(source.uyvy, width, height, format.compression, 0x5A);
    }
    return source;
}

// Packed YUV to packed YUV is exact; RGB on either side is within its arithmetic.
void ExpectMatches(const Source& source, const PictureFormat& input, const PictureFormat& output,
                   int width, int height, const Bytes& decoded) {
    if (IsRgb(output)) {
        const Bytes& expected =
            IsRgb(input) ? source.rgb24 : ReferenceUyvyToRgb24(source.uyvy, width, height);
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_LE(LargestDifference(decoded, expected),
                  IsRgb(input) ? kRoundTripTolerance : kDecodeTolerance);
        return;
    }
    const Bytes expected = UyvyToLayout(source.uyvy, width, height, output.compression);
    ASSERT_EQ(decoded.size(), expected.size());
    if (IsRgb(input)) {
        EXPECT_LE(LargestDifference(decoded, expected), kEncodeTolerance);
    } else {
        EXPECT_EQ(decoded, expected);
    }
}

class RoundTripTest : public SessionTest {};

TEST_F(RoundTripTest, DecodedPictureMatchesTheSource) {
    for (const auto& [width, height] : {std::pair<LONG, LONG>{720, 576}, {16, 16}}) {
        for (const PictureFormat& input : kInputFormats) {
            const Source source = MakeSource(input, width, height);
            const Bytes frame = Compress(input, width, height, source.picture);
            for (const PictureFormat& output : kOutputFormats) {
                SCOPED_TRACE(std::string(input.name) + " to " + output.name + " at " +
                             std::to_string(width));
                const Bytes decoded = Decompress(frame, output, width, height);
                ExpectMatches(source, input, output, width, height, decoded);
            }
        }
    }
}

// Both height signs on both sides: the top line stays on top.
TEST_F(RoundTripTest, RgbTopLineStaysOnTop) {
    constexpr LONG kWidth = 720;
    constexpr LONG kHeight = 576;
    const Bytes bottomUp = RandomRgbBlocks(kWidth, kHeight, 3, 23);
    const Bytes topDown = FlipRows(bottomUp, 3 * kWidth);
    for (LONG inputSign : {1, -1}) {
        const Bytes frame =
            Compress(kRgb24, kWidth, inputSign * kHeight, inputSign > 0 ? bottomUp : topDown);
        for (LONG outputSign : {1, -1}) {
            const Bytes decoded = Decompress(frame, kRgb24, kWidth, outputSign * kHeight);
            EXPECT_LE(LargestDifference(decoded, outputSign > 0 ? bottomUp : topDown),
                      kRoundTripTolerance)
                << "input sign " << inputSign << ", output sign " << outputSign;
        }
    }
}

}  // namespace
