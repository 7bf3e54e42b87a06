// The colours and the geometry of the RGB conversions, on the portable references (every
// processor variant writes exactly the bytes of the reference of its arithmetic): primaries,
// greys and extremes; chroma shared inside pixel pairs and interpolated only inside a block;
// and the flip between bottom-up RGB rows and top-down fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "convert/rgb_field_kernels.h"

namespace {

using Pixel = std::array<BYTE, 4>;

struct Encoder {
    const char* name;
    FieldKernel kernel;
    int bytesPerPixel;
};

const Encoder kEncoders[] = {{"Rgb24", EncodeRgb24Field_C, 3},
                             {"Rgb24Narrow", EncodeRgb24Field_NarrowC, 3},
                             {"Rgb32", EncodeRgb32Field_C, 4},
                             {"Rgb32Narrow", EncodeRgb32Field_NarrowC, 4}};

// One row of 16 pixels, pixel i being pixelAt(i).
template <typename PixelAt>
std::vector<BYTE> Encode(const Encoder& encoder, PixelAt pixelAt) {
    std::vector<BYTE> source;
    for (int i = 0; i < 16; ++i) {
        const Pixel pixel = pixelAt(i);
        source.insert(source.end(), pixel.begin(), pixel.begin() + encoder.bytesPerPixel);
    }
    std::vector<BYTE> out(32);
    encoder.kernel(out.data(), source.data(), 16, 1, 32, 16 * encoder.bytesPerPixel);
    return out;
}

// Rows whose even pixels have one colour and odd pixels another: each pair's chroma is that of
// its mean colour, each pixel keeps its own luma. Both arithmetics give these values, and the
// fourth byte of a 32-bit pixel changes nothing.
struct PairColours {
    const char* name;
    Pixel even, odd;  // B, G, R
    std::array<BYTE, 4> uyvy;
};

constexpr PairColours kPairColours[] = {
    {"Black", {0, 0, 0}, {0, 0, 0}, {128, 16, 128, 16}},
    {"Grey", {128, 128, 128}, {128, 128, 128}, {128, 126, 128, 126}},
    {"White", {255, 255, 255}, {255, 255, 255}, {128, 235, 128, 235}},
    {"BlackWhite", {0, 0, 0}, {255, 255, 255}, {128, 16, 128, 235}},
    {"Red", {0, 0, 255}, {0, 0, 255}, {90, 82, 240, 82}},
    {"Green", {0, 255, 0}, {0, 255, 0}, {54, 145, 34, 145}},
    {"Blue", {255, 0, 0}, {255, 0, 0}, {240, 41, 110, 41}},
};

TEST(RgbEncoderColours, PairsGiveTheirYuv) {
    for (const PairColours& c : kPairColours) {
        for (const Encoder& encoder : kEncoders) {
            for (BYTE fourth : {0, 255}) {
                const std::vector<BYTE> out = Encode(encoder, [&](int i) {
                    const Pixel& p = i % 2 == 0 ? c.even : c.odd;
                    return Pixel{p[0], p[1], p[2], fourth};
                });
                for (int pair = 0; pair < 8; ++pair) {
                    EXPECT_TRUE(std::equal(c.uyvy.begin(), c.uyvy.end(), out.begin() + 4 * pair))
                        << c.name << " " << encoder.name << " pair " << pair;
                }
            }
        }
    }
}

// One row of UYVY to 3 bytes per pixel.
std::vector<BYTE> Decode(FieldKernel decoder, const std::vector<BYTE>& uyvy) {
    const int width = static_cast<int>(uyvy.size()) / 2;
    std::vector<BYTE> out(3 * width);
    decoder(out.data(), uyvy.data(), width, 1, 3 * width, 2 * width);
    return out;
}

std::vector<BYTE> UniformUyvy(BYTE u, BYTE y, BYTE v, int pixels = 16) {
    std::vector<BYTE> uyvy;
    for (int pair = 0; pair < pixels / 2; ++pair) {
        uyvy.insert(uyvy.end(), {u, y, v, y});
    }
    return uyvy;
}

std::array<BYTE, 3> PixelOf(const std::vector<BYTE>& out, int i) {
    return {out[3 * i], out[3 * i + 1], out[3 * i + 2]};
}

TEST(RgbDecoderColours, UniformRowsInBothArithmetics) {
    struct DecodedColour {
        const char* name;
        BYTE u, y, v;
        std::array<BYTE, 3> basic;  // B, G, R
        std::array<BYTE, 3> extended;
    };
    constexpr DecodedColour kColours[] = {
        {"Black", 128, 16, 128, {0, 0, 0}, {1, 1, 1}},
        {"White", 128, 235, 128, {255, 255, 255}, {255, 255, 255}},
        {"Grey", 128, 126, 128, {128, 128, 128}, {129, 129, 129}},
        {"SaturatedRed", 90, 81, 240, {0, 0, 254}, {0, 0, 255}},
    };
    for (const DecodedColour& colour : kColours) {
        const std::vector<BYTE> row = UniformUyvy(colour.u, colour.y, colour.v);
        const std::vector<BYTE> basic = Decode(DecodeRgb24Field_BasicC, row);
        const std::vector<BYTE> extended = Decode(DecodeRgb24Field_ExtendedC, row);
        for (int pixel = 0; pixel < 16; ++pixel) {
            EXPECT_EQ(PixelOf(basic, pixel), colour.basic) << colour.name << " " << pixel;
            EXPECT_EQ(PixelOf(extended, pixel), colour.extended) << colour.name << " " << pixel;
        }
    }
}

// A pair's chroma reaches its own two pixels and the odd pixel before them, which interpolates
// with it; the last pair of a block is interpolated with itself, never with the next block.
TEST(RgbDecoderChroma, EachPairReachesOnlyItsPixels) {
    const struct {
        int pair;
        std::vector<int> pixels;
    } kCases[] = {
        {0, {0, 1}}, {4, {7, 8, 9}}, {7, {13, 14, 15}}, {8, {16, 17}}, {15, {29, 30, 31}}};
    const std::vector<BYTE> plain = UniformUyvy(100, 120, 160, 32);
    for (const auto& c : kCases) {
        std::vector<BYTE> changed = plain;
        changed[4 * c.pair] = 240;
        changed[4 * c.pair + 2] = 16;
        for (const auto& [name, decoder] :
             {std::pair<const char*, FieldKernel>{"Basic", DecodeRgb24Field_BasicC},
              {"Extended", DecodeRgb24Field_ExtendedC}}) {
            const std::vector<BYTE> a = Decode(decoder, plain);
            const std::vector<BYTE> b = Decode(decoder, changed);
            std::vector<int> differing;
            for (int pixel = 0; pixel < 32; ++pixel) {
                if (PixelOf(a, pixel) != PixelOf(b, pixel)) {
                    differing.push_back(pixel);
                }
            }
            EXPECT_EQ(differing, c.pixels) << name << ", pair " << c.pair;
        }
    }
}

// RGB rows are bottom-up and fields top-down, both ways: with three rows of 16 pixels, each
// row's bytes all one level, output row k is what row 2 - k converts to on its own.
TEST(RgbOrientation, TheLastSourceRowBecomesTheFirstOutputRow) {
    constexpr int kRows = 3;
    const struct {
        const char* name;
        FieldKernel kernel;
        int sourceRowBytes, outputRowBytes;
    } kKernels[] = {{"Encode", EncodeRgb24Field_C, 48, 32},
                    {"DecodeBasic", DecodeRgb24Field_BasicC, 32, 48},
                    {"DecodeExtended", DecodeRgb24Field_ExtendedC, 32, 48}};
    for (const auto& c : kKernels) {
        std::vector<BYTE> source;
        for (int m = 0; m < kRows; ++m) {
            source.insert(source.end(), c.sourceRowBytes, static_cast<BYTE>(40 * m + 20));
        }
        std::vector<BYTE> out(c.outputRowBytes * kRows);
        c.kernel(out.data(), source.data(), 16, kRows, c.outputRowBytes, c.sourceRowBytes);
        for (int k = 0; k < kRows; ++k) {
            std::vector<BYTE> row(c.outputRowBytes);
            c.kernel(row.data(), source.data() + c.sourceRowBytes * (kRows - 1 - k), 16, 1,
                     c.outputRowBytes, c.sourceRowBytes);
            const auto at = out.begin() + c.outputRowBytes * k;
            EXPECT_EQ(std::vector<BYTE>(at, at + c.outputRowBytes), row) << c.name << " row " << k;
        }
    }
}

}  // namespace
