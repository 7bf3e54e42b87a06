// Every input format through a frame to every output format: byte-exact wherever both ends
// are packed YUV, and within the conversions' arithmetic wherever RGB is involved, with the
// top picture line on top.
#include <ostream>
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

struct RoundTripCase {
    PictureFormat input;
    PictureFormat output;
    LONG width;
    LONG height;
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << c.input.name << " to " << c.output.name << " at " << c.width << " x " << c.height;
}

std::vector<RoundTripCase> AllCases() {
    std::vector<RoundTripCase> cases;
    for (const auto& [width, height] : {std::pair<LONG, LONG>{720, 576}, {16, 16}}) {
        for (const PictureFormat& input : kInputFormats) {
            for (const PictureFormat& output : kOutputFormats) {
                cases.push_back({input, output, width, height});
            }
        }
    }
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<RoundTripCase>& info) {
    return std::string(info.param.input.name) + "To" + info.param.output.name + "At" +
           std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

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

class RoundTripTest : public SessionTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTripTest, DecodedPictureMatchesTheSource) {
    const RoundTripCase& c = GetParam();
    const Source source = MakeSource(c.input, c.width, c.height);
    const Bytes frame = Compress(c.input, c.width, c.height, source.picture);
    const Bytes decoded = Decompress(frame, c.output, c.width, c.height);

    if (IsRgb(c.output)) {
        const Bytes& expected =
            IsRgb(c.input) ? source.rgb24 : ReferenceUyvyToRgb24(source.uyvy, c.width, c.height);
        const int tolerance = IsRgb(c.input) ? kRoundTripTolerance : kDecodeTolerance;
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_LE(LargestDifference(decoded, expected), tolerance);
    } else {
        const Bytes expected = UyvyToLayout(source.uyvy, c.width, c.height, c.output.compression);
        ASSERT_EQ(decoded.size(), expected.size());
        if (IsRgb(c.input)) {
            EXPECT_LE(LargestDifference(decoded, expected), kEncodeTolerance);
        } else {
            EXPECT_EQ(decoded, expected);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, RoundTripTest, ::testing::ValuesIn(AllCases()), CaseName);

class RgbOrientationTest : public SessionTest {};

// Both height signs on both sides: the top line stays on top.
TEST_F(RgbOrientationTest, TopLineStaysOnTop) {
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
