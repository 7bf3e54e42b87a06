// Decompression-side negotiation: which QLNU inputs and picture outputs the query and the begin
// checks accept, the proposed RGB format, the size the begin fills in, and the programs that are
// offered RGB only.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "driver/formats/compression_formats.h"
#include "driver/formats/decompression_formats.h"
#include "formats/format_builder.h"
#include "settings/file_name.h"
#include "settings/yuv_restricted_apps.h"

namespace {

struct QueryCase {
    const char* name;
    std::optional<BITMAPINFOHEADER> in;
    std::optional<BITMAPINFOHEADER> out;
    LRESULT query;
    LRESULT begin;
};

BITMAPINFOHEADER Sized(DWORD compression, WORD bitCount, LONG width, LONG height) {
    return MakeFormat(compression, bitCount, width, height);
}

const BITMAPINFOHEADER kQlnu24 = Pal(kFourCCQlnu, 24);
const BITMAPINFOHEADER kRgb24 = Pal(BI_RGB, 24);
constexpr LRESULT kOk = ICERR_OK;
constexpr LRESULT kBad = ICERR_BADFORMAT;

const QueryCase kQueryCases[] = {
    {"NoInput", std::nullopt, std::nullopt, kBad, kBad},
    {"NoInputWithAnOutput", std::nullopt, kRgb24, kBad, kBad},
    {"NoOutput", kQlnu24, std::nullopt, kOk, kBad},
    // The input: QLNU in any letter case, whatever its bit count.
    {"LowerCaseQlnu", Pal(kFourCCLowerQlnu, 24), kRgb24, kOk, kOk},
    {"QlnuAt0Bits", Pal(kFourCCQlnu, 0), kRgb24, kOk, kOk},
    {"QlnuAt7Bits", Pal(kFourCCQlnu, 7), kRgb24, kOk, kOk},
    {"QlndInput", Pal(kFourCCQlnd, 24), kRgb24, kBad, kBad},
    {"UyvyInput", Pal(kFourCCUyvy, 16), kRgb24, kBad, kBad},
    {"Ntsc720x486", Sized(kFourCCQlnu, 24, 720, 486), std::nullopt, kBad, kBad},
    {"ZeroByZero", Sized(kFourCCQlnu, 24, 0, 0), Sized(BI_RGB, 24, 0, 0), kOk, kOk},
    {"TopDown", Sized(kFourCCQlnu, 24, 720, -480), Sized(BI_RGB, 24, 720, -480), kOk, kOk},
    // The output table: exact FourCC and bit count.
    {"Rgb24", kQlnu24, kRgb24, kOk, kOk},
    {"Rgb32", kQlnu24, Pal(BI_RGB, 32), kBad, kBad},
    {"Rgb16", kQlnu24, Pal(BI_RGB, 16), kBad, kBad},
    {"Yuy2", kQlnu24, Pal(kFourCCYuy2, 16), kOk, kOk},
    {"Uyvy", kQlnu24, Pal(kFourCCUyvy, 16), kOk, kOk},
    {"Yvyu", kQlnu24, Pal(kFourCCYvyu, 16), kOk, kOk},
    {"Y16", kQlnu24, Pal(kFourCCY16, 16), kOk, kOk},
    {"Y16A", kQlnu24, Pal(kFourCCY16A, 24), kBad, kBad},
    {"UyvyAt24", kQlnu24, Pal(kFourCCUyvy, 24), kBad, kBad},
    {"LowerCaseUyvy", kQlnu24, Pal(kFourCCLowerUyvy, 16), kBad, kBad},
    {"QlnuOutput", kQlnu24, kQlnu24, kBad, kBad},
    {"OutputHeightNegated", kQlnu24, Sized(BI_RGB, 24, 720, -576), kBad, kBad},
    {"OutputWidthDiffers", kQlnu24, Sized(BI_RGB, 24, 704, 576), kBad, kBad},
    // Sizes beyond a signed 32-bit count, of the input and of the output.
    {"FrameOf65536x32768Wraps", Sized(kFourCCQlnu, 0, 65536, 32768), std::nullopt, kBad, kBad},
    {"LargestFrame", Sized(kFourCCQlnu, 16, 32752, 32768), Sized(kFourCCYuy2, 16, 32752, 32768),
     kOk, kOk},
    {"Rgb24OutputTooLarge", Sized(kFourCCQlnu, 16, 23168, 32768), Sized(BI_RGB, 24, 23168, 32768),
     kBad, kBad},
    {"Yuy2OutputOfTheSameSize", Sized(kFourCCQlnu, 16, 23168, 32768),
     Sized(kFourCCYuy2, 16, 23168, 32768), kOk, kOk},
    {"InputPictureTooLarge", Sized(kFourCCQlnu, 32, 16384, 32768), std::nullopt, kBad, kBad},
    {"NegativeWidth", Sized(kFourCCQlnu, 24, -16, 16), Sized(BI_RGB, 24, -16, 16), kBad, kBad},
};

const BITMAPINFOHEADER* Pointer(const std::optional<BITMAPINFOHEADER>& format) {
    return format ? &*format : nullptr;
}

void PrintTo(const QueryCase& c, std::ostream* os) {
    *os << c.name;
}

class DecompressQueryTest : public ::testing::TestWithParam<QueryCase> {};

// The proposal is made for exactly the inputs that the query accepts alone.
TEST_P(DecompressQueryTest, QueryBeginAndGetFormatAnswer) {
    const QueryCase& c = GetParam();
    EXPECT_EQ(DecompressQuery(Pointer(c.in), Pointer(c.out)), c.query);
    std::optional<BITMAPINFOHEADER> out = c.out;
    EXPECT_EQ(CheckDecompressBegin(Pointer(c.in), out ? &*out : nullptr), c.begin);
    if (!c.out) {
        const LRESULT answer = DecompressGetFormat(Pointer(c.in), nullptr);
        EXPECT_EQ(answer == ICERR_BADFORMAT ? ICERR_BADFORMAT : ICERR_OK, c.query);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DecompressQueryTest, ::testing::ValuesIn(kQueryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecompressGetFormatTest, ProposesRgbAtTheInputBitCount) {
    struct {
        WORD bitCount;
        LONG height;
        DWORD sizeImage;
    } const cases[] = {{24, 576, 1244160}, {24, -576, 1244160}, {16, 576, 829440}, {0, 576, 0}};
    for (const auto& c : cases) {
        BITMAPINFOHEADER in = MakeFormat(kFourCCQlnu, c.bitCount, 720, c.height);
        in.biSizeImage = 829460;
        in.biXPelsPerMeter = 2835;
        in.biClrImportant = 7;
        BITMAPINFOHEADER out;
        std::memset(&out, 0xCD, sizeof out);
        ASSERT_EQ(DecompressGetFormat(&in, &out), ICERR_OK);

        BITMAPINFOHEADER expected = in;
        expected.biCompression = BI_RGB;
        expected.biSizeImage = c.sizeImage;
        EXPECT_EQ(std::memcmp(&out, &expected, sizeof expected), 0)
            << c.bitCount << " bits, height " << c.height;
    }
}

TEST(DecompressGetFormatTest, AnswersTheFormatSizeWithoutAnOutput) {
    BITMAPINFOHEADER in = kQlnu24;
    EXPECT_EQ(DecompressGetFormat(&in, nullptr), 40);
    in.biClrUsed = 2;
    EXPECT_EQ(DecompressGetFormat(&in, nullptr), 48);
}

TEST(DecompressGetFormatTest, ARefusedInputLeavesTheOutputUntouched) {
    const BITMAPINFOHEADER in = Pal(kFourCCQlnd, 24);
    BITMAPINFOHEADER out;
    std::memset(&out, 0xCD, sizeof out);
    EXPECT_EQ(DecompressGetFormat(&in, &out), ICERR_BADFORMAT);
    EXPECT_EQ(out.biSize, 0xCDCDCDCDu);
}

struct FillCase {
    const char* name;
    BITMAPINFOHEADER out;
    DWORD filled;
};

BITMAPINFOHEADER WithSizeImage(BITMAPINFOHEADER format, DWORD sizeImage) {
    format.biSizeImage = sizeImage;
    return format;
}

const FillCase kFillCases[] = {
    {"Rgb24", kRgb24, 1244160},
    {"Yuy2", Pal(kFourCCYuy2, 16), 829440},
    {"Uyvy", Pal(kFourCCUyvy, 16), 829440},
    {"Yvyu", Pal(kFourCCYvyu, 16), 829440},
    {"Y16", Pal(kFourCCY16, 16), 829440},
    {"GivenSizeKept", WithSizeImage(kRgb24, 5), 5},
    {"RefusedOutputNotFilled", Pal(BI_RGB, 32), 0},
};

void PrintTo(const FillCase& c, std::ostream* os) {
    *os << c.name;
}

class DecompressBeginFillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(DecompressBeginFillTest, FillsAMissingPictureSize) {
    BITMAPINFOHEADER out = GetParam().out;
    CheckDecompressBegin(&kQlnu24, &out);
    EXPECT_EQ(out.biSizeImage, GetParam().filled);
}

INSTANTIATE_TEST_SUITE_P(Outputs, DecompressBeginFillTest, ::testing::ValuesIn(kFillCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecompressBeginFillTest, ATopDownPictureGetsAPositiveSize) {
    const BITMAPINFOHEADER in = Sized(kFourCCQlnu, 24, 720, -576);
    BITMAPINFOHEADER out = Sized(kFourCCYuy2, 16, 720, -576);
    ASSERT_EQ(CheckDecompressBegin(&in, &out), ICERR_OK);
    EXPECT_EQ(out.biSizeImage, 829440u);
}

// The running program put on the YUV-restricted list for the length of a test.
class RestrictedProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memcpy(saved_, YuvRestrictedApps, sizeof saved_);
        std::memset(YuvRestrictedApps, 0, sizeof YuvRestrictedApps);
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, sizeof path);
        std::strcpy(YuvRestrictedApps[0], FileNamePart(path, "\\/"));
        CharUpperA(YuvRestrictedApps[0]);
    }
    void TearDown() override { std::memcpy(YuvRestrictedApps, saved_, sizeof saved_); }

  private:
    char saved_[kYuvRestrictedAppSlots][kYuvRestrictedAppNameSize];
};

TEST_F(RestrictedProgramTest, DecompressionOffersRgbOnly) {
    ASSERT_TRUE(IsYuvRestrictedApp());
    const struct {
        BITMAPINFOHEADER out;
        LRESULT expected;
    } cases[] = {
        {kRgb24, ICERR_OK},
        {Pal(kFourCCYuy2, 16), ICERR_BADFORMAT},
        {Pal(kFourCCUyvy, 16), ICERR_BADFORMAT},
        {Pal(kFourCCY16, 16), ICERR_BADFORMAT},
        {Pal(BI_RGB, 32), ICERR_BADFORMAT},
    };
    for (const auto& c : cases) {
        BITMAPINFOHEADER out = c.out;
        EXPECT_EQ(DecompressQuery(&kQlnu24, &c.out), c.expected) << c.out.biCompression;
        EXPECT_EQ(CheckDecompressBegin(&kQlnu24, &out), c.expected) << c.out.biCompression;
    }
    EXPECT_EQ(DecompressQuery(&kQlnu24, nullptr), ICERR_OK);
}

TEST_F(RestrictedProgramTest, CompressionAndTheProposalDoNotAsk) {
    const BITMAPINFOHEADER yuy2 = Pal(kFourCCYuy2, 16);
    EXPECT_EQ(CompressQuery(&yuy2, &kQlnu24), ICERR_OK);
    EXPECT_EQ(CheckCompressBegin(&yuy2, &kQlnu24), ICERR_OK);
    BITMAPINFOHEADER proposal{};
    EXPECT_EQ(DecompressGetFormat(&kQlnu24, &proposal), ICERR_OK);
    EXPECT_EQ(proposal.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST(UnrestrictedProgramTest, DecompressionOffersPackedYuv) {
    ASSERT_FALSE(IsYuvRestrictedApp());
    const BITMAPINFOHEADER yuy2 = Pal(kFourCCYuy2, 16);
    EXPECT_EQ(DecompressQuery(&kQlnu24, &yuy2), ICERR_OK);
}

// A proposal is a whole header: a format claiming fewer bytes would have it written past its end.
TEST(GetFormatTest, RefusesFormatsShorterThanAHeader) {
    for (DWORD headerSize : {0u, 16u, 39u}) {
        BITMAPINFOHEADER rgb = Pal(BI_RGB, 24);
        rgb.biSize = headerSize;
        BITMAPINFOHEADER qlnu = Pal(kFourCCQlnu, 24);
        qlnu.biSize = headerSize;
        BITMAPINFOHEADER out{};
        EXPECT_EQ(CompressGetFormat(&rgb, nullptr), ICERR_BADFORMAT) << headerSize;
        EXPECT_EQ(CompressGetFormat(&rgb, &out), ICERR_BADFORMAT) << headerSize;
        EXPECT_EQ(DecompressGetFormat(&qlnu, nullptr), ICERR_BADFORMAT) << headerSize;
        EXPECT_EQ(DecompressGetFormat(&qlnu, &out), ICERR_BADFORMAT) << headerSize;
        EXPECT_EQ(out.biSize, 0u);
    }
}

}  // namespace
