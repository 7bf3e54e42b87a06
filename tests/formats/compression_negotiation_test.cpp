// Compression-side negotiation: which inputs and outputs the query and the begin checks accept,
// the proposed QLNU format and the frame size.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "driver/formats/compression_formats.h"
#include "formats/format_builder.h"

namespace {

struct QueryCase {
    const char* name;
    std::optional<BITMAPINFOHEADER> in;
    std::optional<BITMAPINFOHEADER> out;
    LRESULT expected;
};

BITMAPINFOHEADER Sized(DWORD compression, WORD bitCount, LONG width, LONG height) {
    return MakeFormat(compression, bitCount, width, height);
}

BITMAPINFOHEADER WithColours(BITMAPINFOHEADER format, DWORD colours) {
    format.biClrUsed = colours;
    return format;
}

const BITMAPINFOHEADER kQlnu24 = Pal(kFourCCQlnu, 24);

const QueryCase kQueryCases[] = {
    {"NoInput", std::nullopt, std::nullopt, ICERR_BADFORMAT},
    {"NoInputWithAnOutput", std::nullopt, kQlnu24, ICERR_BADFORMAT},
    // The input table: exact FourCC and bit count.
    {"Rgb24", Pal(BI_RGB, 24), std::nullopt, ICERR_OK},
    {"Rgb32", Pal(BI_RGB, 32), std::nullopt, ICERR_OK},
    {"Yuy2", Pal(kFourCCYuy2, 16), std::nullopt, ICERR_OK},
    {"Uyvy", Pal(kFourCCUyvy, 16), std::nullopt, ICERR_OK},
    {"Yvyu", Pal(kFourCCYvyu, 16), std::nullopt, ICERR_OK},
    {"Y16", Pal(kFourCCY16, 16), std::nullopt, ICERR_OK},
    {"Y16A", Pal(kFourCCY16A, 24), std::nullopt, ICERR_OK},
    {"Rgb16", Pal(BI_RGB, 16), std::nullopt, ICERR_BADFORMAT},
    {"Rgb8", Pal(BI_RGB, 8), std::nullopt, ICERR_BADFORMAT},
    {"UyvyAt24", Pal(kFourCCUyvy, 24), std::nullopt, ICERR_BADFORMAT},
    {"Y16At24", Pal(kFourCCY16, 24), std::nullopt, ICERR_BADFORMAT},
    {"Y16AAt16", Pal(kFourCCY16A, 16), std::nullopt, ICERR_BADFORMAT},
    {"Y16AAt32", Pal(kFourCCY16A, 32), std::nullopt, ICERR_BADFORMAT},
    {"LowerCaseUyvy", Pal(kFourCCLowerUyvy, 16), std::nullopt, ICERR_BADFORMAT},
    {"QlnuInput", Pal(kFourCCQlnu, 24), std::nullopt, ICERR_BADFORMAT},
    // Geometry: signed remainders of 16.
    {"Hd1920x1080", Sized(BI_RGB, 24, 1920, 1080), std::nullopt, ICERR_BADFORMAT},
    {"Ntsc720x486", Sized(BI_RGB, 24, 720, 486), std::nullopt, ICERR_BADFORMAT},
    {"Width8", Sized(BI_RGB, 24, 8, 16), std::nullopt, ICERR_BADFORMAT},
    {"HeightMinus8", Sized(BI_RGB, 24, 16, -8), std::nullopt, ICERR_BADFORMAT},
    {"ZeroByZero", Sized(BI_RGB, 24, 0, 0), std::nullopt, ICERR_OK},
    {"TopDown720xMinus480", Sized(BI_RGB, 24, 720, -480), std::nullopt, ICERR_OK},
    {"BadGeometryWithAMatchingOutput", Sized(BI_RGB, 24, 1920, 1080),
     Sized(kFourCCQlnu, 24, 1920, 1080), ICERR_BADFORMAT},
    // The output: QLNU in any letter case, 24 or 32 bits, the input's width and signed height.
    {"Qlnu24", Pal(BI_RGB, 24), kQlnu24, ICERR_OK},
    {"Rgb32ToQlnu24", Pal(BI_RGB, 32), kQlnu24, ICERR_OK},
    {"Qlnu32", Pal(kFourCCUyvy, 16), Pal(kFourCCQlnu, 32), ICERR_OK},
    {"Qlnu16", Pal(kFourCCUyvy, 16), Pal(kFourCCQlnu, 16), ICERR_BADFORMAT},
    {"LowerCaseQlnu", Pal(BI_RGB, 24), Pal(kFourCCLowerQlnu, 24), ICERR_OK},
    {"MixedCaseQlnu", Pal(BI_RGB, 24), Pal(mmioFOURCC('Q', 'l', 'N', 'u'), 24), ICERR_OK},
    {"QlndOutput", Pal(BI_RGB, 24), Pal(kFourCCQlnd, 24), ICERR_BADFORMAT},
    {"UyvyOutput", Pal(BI_RGB, 24), Pal(kFourCCUyvy, 24), ICERR_BADFORMAT},
    {"OutputWidthDiffers", Pal(BI_RGB, 24), Sized(kFourCCQlnu, 24, 704, 576), ICERR_BADFORMAT},
    {"OutputHeightNegated", Pal(BI_RGB, 24), Sized(kFourCCQlnu, 24, 720, -576), ICERR_BADFORMAT},
    {"BothTopDown", Sized(BI_RGB, 24, 720, -480), Sized(kFourCCQlnu, 24, 720, -480), ICERR_OK},
    // Sizes beyond a signed 32-bit count.
    {"FrameOf65536x32768Wraps", Sized(kFourCCUyvy, 16, 65536, 32768), std::nullopt,
     ICERR_BADFORMAT},
    {"LargestFrame32752x32768", Sized(kFourCCUyvy, 16, 32752, 32768), std::nullopt, ICERR_OK},
    {"Frame32768x32768", Sized(kFourCCUyvy, 16, 32768, 32768), std::nullopt, ICERR_BADFORMAT},
    {"Rgb24Of16384x32768", Sized(BI_RGB, 24, 16384, 32768), std::nullopt, ICERR_OK},
    {"Rgb32PictureOf16384x32768", Sized(BI_RGB, 32, 16384, 32768), std::nullopt, ICERR_BADFORMAT},
    {"ColourWordsUpToTheLimit", WithColours(Pal(BI_RGB, 24), 0x1FFFFFF5), std::nullopt, ICERR_OK},
    {"ColourWordsBeyondTheLimit", WithColours(Pal(BI_RGB, 24), 0x1FFFFFF6), std::nullopt,
     ICERR_BADFORMAT},
    {"NegativeWidth", Sized(BI_RGB, 24, -16, 16), std::nullopt, ICERR_BADFORMAT},
};

const BITMAPINFOHEADER* Pointer(const std::optional<BITMAPINFOHEADER>& format) {
    return format ? &*format : nullptr;
}

void PrintTo(const QueryCase& c, std::ostream* os) {
    *os << c.name;
}

class CompressQueryTest : public ::testing::TestWithParam<QueryCase> {};

// The begin checks are the query's; the proposal is made for exactly the inputs that the query
// accepts alone.
TEST_P(CompressQueryTest, QueryBeginAndGetFormatAnswerAlike) {
    const QueryCase& c = GetParam();
    EXPECT_EQ(CompressQuery(Pointer(c.in), Pointer(c.out)), c.expected);
    EXPECT_EQ(CheckCompressBegin(Pointer(c.in), Pointer(c.out)), c.expected);
    if (!c.out) {
        const LRESULT answer = CompressGetFormat(Pointer(c.in), nullptr);
        EXPECT_EQ(answer == ICERR_BADFORMAT ? ICERR_BADFORMAT : ICERR_OK, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CompressQueryTest, ::testing::ValuesIn(kQueryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A format followed by colour words, with room behind it that a proposal must not touch.
struct FormatWithColours {
    BITMAPINFOHEADER header;
    DWORD colours[4];
};

FormatWithColours Sentinel() {
    FormatWithColours format;
    std::memset(&format, 0xCD, sizeof format);
    return format;
}

TEST(CompressGetFormatTest, ProposesQlnuAt24BitsKeepingEveryOtherField) {
    BITMAPINFOHEADER in = Pal(BI_RGB, 32);
    in.biSizeImage = 1234;
    in.biXPelsPerMeter = 2835;
    in.biYPelsPerMeter = 2834;
    in.biClrImportant = 7;
    FormatWithColours out = Sentinel();
    ASSERT_EQ(CompressGetFormat(&in, &out.header), ICERR_OK);

    BITMAPINFOHEADER expected = in;
    expected.biBitCount = 24;
    expected.biCompression = kFourCCQlnu;
    expected.biSizeImage = 829460;
    EXPECT_EQ(std::memcmp(&out.header, &expected, sizeof expected), 0);
    EXPECT_EQ(out.colours[0], 0xCDCDCDCDu);
}

TEST(CompressGetFormatTest, CopiesColourWordsAndAnswersTheirSizeWithoutAnOutput) {
    FormatWithColours in{Pal(BI_RGB, 24), {1, 2, 3, 4}};
    in.header.biClrUsed = 3;
    EXPECT_EQ(CompressGetFormat(&in.header, nullptr), 52);
    const BITMAPINFOHEADER plain = Pal(BI_RGB, 24);
    EXPECT_EQ(CompressGetFormat(&plain, nullptr), 40);

    FormatWithColours out = Sentinel();
    ASSERT_EQ(CompressGetFormat(&in.header, &out.header), ICERR_OK);
    EXPECT_EQ(out.colours[0], 1u);
    EXPECT_EQ(out.colours[2], 3u);
    EXPECT_EQ(out.colours[3], 0xCDCDCDCDu);
}

TEST(CompressGetFormatTest, SizesComeFromTheAbsoluteHeightAndTheSignStays) {
    struct {
        LONG width;
        LONG height;
        DWORD sizeImage;
    } const cases[] = {{720, 576, 829460}, {720, -576, 829460}, {0, 0, 20}, {16, -16, 532}};
    for (const auto& c : cases) {
        const BITMAPINFOHEADER in = MakeFormat(kFourCCYuy2, 16, c.width, c.height);
        BITMAPINFOHEADER out{};
        ASSERT_EQ(CompressGetFormat(&in, &out), ICERR_OK) << c.height;
        EXPECT_EQ(out.biHeight, c.height);
        EXPECT_EQ(out.biSizeImage, c.sizeImage) << c.height;
    }
}

TEST(CompressGetFormatTest, ARefusedInputLeavesTheOutputUntouched) {
    const BITMAPINFOHEADER refused[] = {Pal(kFourCCUyvy, 24), Sized(BI_RGB, 24, 720, 486),
                                        Sized(kFourCCUyvy, 16, 65536, 32768)};
    for (const BITMAPINFOHEADER& in : refused) {
        FormatWithColours out = Sentinel();
        EXPECT_EQ(CompressGetFormat(&in, &out.header), ICERR_BADFORMAT);
        EXPECT_EQ(out.header.biSize, 0xCDCDCDCDu);
    }
    FormatWithColours out = Sentinel();
    EXPECT_EQ(CompressGetFormat(nullptr, &out.header), ICERR_BADFORMAT);
    EXPECT_EQ(out.header.biSize, 0xCDCDCDCDu);
}

struct SizeCase {
    const char* name;
    std::optional<BITMAPINFOHEADER> in;
    LRESULT expected;
};

// No check of pixel format or geometry; only sizes that are no count are refused.
const SizeCase kSizeCases[] = {
    {"NoInput", std::nullopt, ICERR_BADFORMAT},
    {"Pal", Pal(BI_RGB, 24), 829460},
    {"NotAnInputFormat", Pal(kFourCCUyvy, 24), 829460},
    {"Hd1920x1080", Sized(BI_RGB, 24, 1920, 1080), 4147220},
    {"TopDown", Sized(BI_RGB, 24, 720, -576), 829460},
    {"ZeroByZero", Sized(BI_RGB, 24, 0, 0), 20},
    {"LargestFrame", Sized(kFourCCUyvy, 16, 32752, 32768), 2146435092},
    {"FrameOf65536x32768Wraps", Sized(kFourCCUyvy, 16, 65536, 32768), ICERR_BADFORMAT},
    {"NegativeWidth", Sized(BI_RGB, 24, -16, 16), ICERR_BADFORMAT},
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.name;
}

class CompressGetSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CompressGetSizeTest, AnswersTheFrameSize) {
    EXPECT_EQ(CompressGetSize(Pointer(GetParam().in)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompressGetSizeTest, ::testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
