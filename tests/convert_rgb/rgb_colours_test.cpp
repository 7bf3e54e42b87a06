// The colour values and the geometry the RGB conversions promise, in every variant and both
// references: primaries, greys and extremes; chroma shared inside pixel pairs and
// interpolated only inside a block; and the flip between bottom-up RGB rows and top-down
// fields.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "convert/dispatch_slots.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_tables.h"
#include "rgb_test_support.h"
#include "support/fake_cpu.h"

namespace {

// A kernel as one test sees it: which reference stands for it, and the class its table needs.
struct Converter {
    std::string name;
    FieldKernel kernel;
    CpuClass tableClass;  // 0 for the references, which read no table
};

std::vector<Converter> ConvertersOf(RgbOperation operation,
                                    std::initializer_list<Converter> references) {
    std::vector<Converter> converters(references);
    for (const RgbKernelCase& c : AllRgbKernelCases()) {
        if (c.operation == operation) {
            converters.push_back({c.name, c.kernel, c.tableClass});
        }
    }
    return converters;
}

std::vector<Converter> Rgb24Encoders() {
    return ConvertersOf(RgbOperation::EncodeRgb24,
                        {{"EncodeRgb24Field_C", EncodeRgb24Field_C, 0},
                         {"EncodeRgb24Field_NarrowC", EncodeRgb24Field_NarrowC, 0}});
}

std::vector<Converter> Rgb32Encoders() {
    return ConvertersOf(RgbOperation::EncodeRgb32,
                        {{"EncodeRgb32Field_C", EncodeRgb32Field_C, 0},
                         {"EncodeRgb32Field_NarrowC", EncodeRgb32Field_NarrowC, 0}});
}

// One row of 16 pixels, every pixel from `pixelAt`.
template <typename PixelAt>
std::vector<BYTE> Encode(const Converter& converter, int bytesPerPixel, PixelAt pixelAt) {
    if (converter.tableClass != 0) {
        UseTablesOf(converter.tableClass);
    }
    std::vector<BYTE> source;
    for (int i = 0; i < 16; ++i) {
        const std::array<BYTE, 4> pixel = pixelAt(i);
        source.insert(source.end(), pixel.begin(), pixel.begin() + bytesPerPixel);
    }
    std::vector<BYTE> out(32, kSentinel);
    converter.kernel(out.data(), source.data(), 16, 1, 32, 16 * bytesPerPixel);
    return out;
}

struct EncodedColour {
    const char* name;
    BYTE b, g, r;
    BYTE u, y, v;
};

// Every variant, narrow included, gives these values: the reference values, white 235.
constexpr EncodedColour kEncodedColours[] = {
    {"Black", 0, 0, 0, 128, 16, 128},  {"Grey", 128, 128, 128, 128, 126, 128},
    {"Red", 0, 0, 255, 90, 82, 240},   {"Green", 0, 255, 0, 54, 145, 34},
    {"Blue", 255, 0, 0, 240, 41, 110}, {"White", 255, 255, 255, 128, 235, 128},
};

void ExpectUniformPairs(const std::vector<BYTE>& out, BYTE u, BYTE y, BYTE v) {
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(out[4 * j], u) << "pair " << j;
        EXPECT_EQ(out[4 * j + 1], y) << "pair " << j;
        EXPECT_EQ(out[4 * j + 2], v) << "pair " << j;
        EXPECT_EQ(out[4 * j + 3], y) << "pair " << j;
    }
}

TEST(RgbEncoderColours, UniformColoursGiveTheirYuv) {
    for (const EncodedColour& colour : kEncodedColours) {
        for (const Converter& converter : Rgb24Encoders()) {
            SCOPED_TRACE(std::string(colour.name) + " " + converter.name);
            ExpectUniformPairs(Encode(converter, 3,
                                      [&](int) {
                                          return std::array<BYTE, 4>{colour.b, colour.g, colour.r};
                                      }),
                               colour.u, colour.y, colour.v);
        }
    }
}

// The fourth byte takes no part in the conversion: no residue carries it into the luma.
TEST(RgbEncoderColours, FourthByteOfRgb32IsIgnored) {
    for (const EncodedColour& colour : kEncodedColours) {
        for (const Converter& converter : Rgb32Encoders()) {
            for (BYTE fourth : {0, 255}) {
                SCOPED_TRACE(std::string(colour.name) + " " + converter.name);
                ExpectUniformPairs(
                    Encode(converter, 4,
                           [&](int) {
                               return std::array<BYTE, 4>{colour.b, colour.g, colour.r, fourth};
                           }),
                    colour.u, colour.y, colour.v);
            }
        }
    }
}

TEST(RgbEncoderColours, BlackWhitePairHasMidGreyChromaAndOwnLuma) {
    auto blackThenWhite = [](int i) {
        const BYTE level = i % 2 == 0 ? 0 : 255;
        return std::array<BYTE, 4>{level, level, level, 0};
    };
    for (const Converter& converter : Rgb24Encoders()) {
        SCOPED_TRACE(converter.name);
        const std::vector<BYTE> out = Encode(converter, 3, blackThenWhite);
        for (int j = 0; j < 8; ++j) {
            EXPECT_EQ(out[4 * j], 128);
            EXPECT_EQ(out[4 * j + 1], 16);
            EXPECT_EQ(out[4 * j + 2], 128);
            EXPECT_EQ(out[4 * j + 3], 235);
        }
    }
    for (const Converter& converter : Rgb32Encoders()) {
        SCOPED_TRACE(converter.name);
        EXPECT_EQ(Encode(converter, 4, blackThenWhite),
                  Encode({"C", EncodeRgb24Field_C, 0}, 3, blackThenWhite));
    }
}

// Decoder -----------------------------------------------------------------------------------

struct DecodedColour {
    const char* name;
    BYTE u, y, v;
    std::array<BYTE, 3> basic;  // B, G, R
    std::array<BYTE, 3> extended;
};

constexpr DecodedColour kDecodedColours[] = {
    {"Black", 128, 16, 128, {0, 0, 0}, {1, 1, 1}},
    {"White", 128, 235, 128, {255, 255, 255}, {255, 255, 255}},
    {"Grey", 128, 126, 128, {128, 128, 128}, {129, 129, 129}},
    {"SaturatedRed", 90, 81, 240, {0, 0, 254}, {0, 0, 255}},
};

std::vector<Converter> BasicDecoders() {
    return {{"DecodeRgb24Field_BasicC", DecodeRgb24Field_BasicC, 0},
            {"DecodeRgb24Field_MMX", DecodeRgb24Field_MMX, 3}};
}

std::vector<Converter> ExtendedDecoders() {
    std::vector<Converter> decoders = ConvertersOf(
        RgbOperation::DecodeRgb24, {{"DecodeRgb24Field_ExtendedC", DecodeRgb24Field_ExtendedC, 0}});
    std::erase_if(decoders, [](const Converter& c) { return c.kernel == DecodeRgb24Field_MMX; });
    return decoders;
}

std::vector<Converter> AllDecoders() {
    std::vector<Converter> decoders = BasicDecoders();
    for (const Converter& c : ExtendedDecoders()) {
        decoders.push_back(c);
    }
    return decoders;
}

// One row of `blocks` blocks of UYVY into 48 bytes per block.
std::vector<BYTE> Decode(const Converter& converter, const std::vector<BYTE>& uyvy) {
    if (converter.tableClass != 0) {
        UseTablesOf(converter.tableClass);
    }
    const int width = static_cast<int>(uyvy.size()) / 2;
    std::vector<BYTE> out(3 * width, kSentinel);
    converter.kernel(out.data(), uyvy.data(), width, 1, 3 * width, 2 * width);
    return out;
}

std::vector<BYTE> UniformUyvy(BYTE u, BYTE y, BYTE v, int pixels = 16) {
    std::vector<BYTE> uyvy;
    for (int j = 0; j < pixels / 2; ++j) {
        uyvy.insert(uyvy.end(), {u, y, v, y});
    }
    return uyvy;
}

void ExpectUniformPixels(const std::vector<BYTE>& out, const std::array<BYTE, 3>& bgr) {
    for (std::size_t i = 0; i < out.size(); i += 3) {
        EXPECT_EQ(out[i], bgr[0]) << "pixel " << i / 3;
        EXPECT_EQ(out[i + 1], bgr[1]) << "pixel " << i / 3;
        EXPECT_EQ(out[i + 2], bgr[2]) << "pixel " << i / 3;
    }
}

TEST(RgbDecoderColours, UniformRowsInBothArithmetics) {
    for (const DecodedColour& colour : kDecodedColours) {
        const std::vector<BYTE> row = UniformUyvy(colour.u, colour.y, colour.v);
        for (const Converter& converter : BasicDecoders()) {
            SCOPED_TRACE(std::string(colour.name) + " " + converter.name);
            ExpectUniformPixels(Decode(converter, row), colour.basic);
        }
        for (const Converter& converter : ExtendedDecoders()) {
            SCOPED_TRACE(std::string(colour.name) + " " + converter.name);
            ExpectUniformPixels(Decode(converter, row), colour.extended);
        }
    }
}

std::array<BYTE, 3> PixelOf(const std::vector<BYTE>& out, int i) {
    return {out[3 * i], out[3 * i + 1], out[3 * i + 2]};
}

void SetPairChroma(std::vector<BYTE>& uyvy, int pair, BYTE u, BYTE v) {
    uyvy[4 * pair] = u;
    uyvy[4 * pair + 2] = v;
}

TEST(RgbDecoderChroma, LastPairOfABlockNeverLooksIntoTheNextBlock) {
    std::vector<BYTE> first = UniformUyvy(100, 120, 160, 32);
    std::vector<BYTE> second = first;
    for (int pair = 8; pair < 16; ++pair) {
        SetPairChroma(second, pair, 240, 16);
    }
    SetPairChroma(second, 6, 20, 230);  // pair 6 feeds pixels 12, 13 and 11, not 14 or 15
    for (const Converter& converter : AllDecoders()) {
        SCOPED_TRACE(converter.name);
        const std::vector<BYTE> a = Decode(converter, first);
        const std::vector<BYTE> b = Decode(converter, second);
        EXPECT_EQ(PixelOf(a, 14), PixelOf(b, 14));
        EXPECT_EQ(PixelOf(a, 15), PixelOf(b, 15));
        EXPECT_NE(PixelOf(a, 13), PixelOf(b, 13));
        EXPECT_NE(PixelOf(a, 11), PixelOf(b, 11));
    }
}

TEST(RgbDecoderChroma, PixelsFourteenAndFifteenShareThePairSevenChroma) {
    // U equals V, so the extended luma sees the same chroma byte before both pixels.
    std::vector<BYTE> uyvy = UniformUyvy(128, 120, 128);
    SetPairChroma(uyvy, 7, 200, 200);
    for (const Converter& converter : ExtendedDecoders()) {
        SCOPED_TRACE(converter.name);
        const std::vector<BYTE> out = Decode(converter, uyvy);
        EXPECT_EQ(PixelOf(out, 14), PixelOf(out, 15));
    }
}

TEST(RgbDecoderChroma, PixelSevenInterpolatesWithPairFour) {
    const std::vector<BYTE> plain = UniformUyvy(128, 120, 128);
    std::vector<BYTE> changed = plain;
    SetPairChroma(changed, 4, 240, 16);
    for (const Converter& converter : AllDecoders()) {
        SCOPED_TRACE(converter.name);
        const std::vector<BYTE> a = Decode(converter, plain);
        const std::vector<BYTE> b = Decode(converter, changed);
        EXPECT_EQ(PixelOf(a, 6), PixelOf(b, 6));
        EXPECT_NE(PixelOf(a, 7), PixelOf(b, 7));
        EXPECT_NE(PixelOf(a, 8), PixelOf(b, 8));
        EXPECT_NE(PixelOf(a, 9), PixelOf(b, 9));
        EXPECT_EQ(PixelOf(a, 10), PixelOf(b, 10));
    }
}

// Orientation, through the dispatchers ------------------------------------------------------

class RgbOrientationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseTablesOf(31);
        fake_.emplace(31);
        gEncodeRgb24FieldSlot.ResetForTesting();
        gDecodeRgb24FieldSlot.ResetForTesting();
    }
    std::optional<ScopedFakeProcessor> fake_;
};

// A bottom-up picture of 16 x 6 whose memory row m is the grey level 40 m, converted as the
// compression session converts it: the first field from the second memory row on.
TEST_F(RgbOrientationTest, TopDisplayedRowLandsInTheFirstRowOfTheFirstField) {
    constexpr int kWidth = 16, kHeight = 6, kPitch = 3 * kWidth;
    std::vector<BYTE> picture;
    for (int m = 0; m < kHeight; ++m) {
        picture.insert(picture.end(), kPitch, static_cast<BYTE>(40 * m));
    }
    std::vector<BYTE> firstField(2 * kWidth * kHeight / 2), secondField(firstField.size());
    RgbToYuvTables tables;
    tables.EncodeRgb24Field(firstField.data(), picture.data() + kPitch, kWidth, kHeight / 2,
                            2 * kWidth, 2 * kPitch);
    tables.EncodeRgb24Field(secondField.data(), picture.data(), kWidth, kHeight / 2, 2 * kWidth,
                            2 * kPitch);
    auto rowOfMemoryRow = [&](int m) {
        std::vector<BYTE> row(2 * kWidth);
        EncodeRgb24Field_C(row.data(), picture.data() + m * kPitch, kWidth, 1, 0, 0);
        return row;
    };
    for (int k = 0; k < kHeight / 2; ++k) {
        const auto rowBegin = [&](const std::vector<BYTE>& field) {
            return std::vector<BYTE>(field.begin() + 2 * kWidth * k,
                                     field.begin() + 2 * kWidth * (k + 1));
        };
        EXPECT_EQ(rowBegin(firstField), rowOfMemoryRow(kHeight - 1 - 2 * k)) << "row " << k;
        EXPECT_EQ(rowBegin(secondField), rowOfMemoryRow(kHeight - 2 - 2 * k)) << "row " << k;
    }
}

TEST_F(RgbOrientationTest, FirstFieldRowLandsInTheHighestOutputRow) {
    constexpr int kWidth = 16, kRows = 3;
    std::vector<BYTE> field;
    for (int r = 0; r < kRows; ++r) {
        const std::vector<BYTE> row = UniformUyvy(128, static_cast<BYTE>(30 + 80 * r), 128);
        field.insert(field.end(), row.begin(), row.end());
    }
    std::vector<BYTE> picture(3 * kWidth * kRows, kSentinel);
    YuvToRgbTables tables;
    tables.DecodeRgb24Field(picture.data(), field.data(), kWidth, kRows, 3 * kWidth, 2 * kWidth);
    for (int r = 0; r < kRows; ++r) {
        std::vector<BYTE> expected(3 * kWidth);
        DecodeRgb24Field_ExtendedC(expected.data(), field.data() + 2 * kWidth * r, kWidth, 1, 0, 0);
        const auto at = picture.begin() + 3 * kWidth * (kRows - 1 - r);
        EXPECT_EQ(std::vector<BYTE>(at, at + 3 * kWidth), expected) << "source row " << r;
    }
}

}  // namespace
