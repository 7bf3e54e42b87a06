// Format negotiation in both directions: which formats the queries and the begin checks accept,
// what the proposals write and leave alone, the size a begin fills in, and the programs that
// are offered RGB only.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>

#include "driver/formats/compression_formats.h"
#include "driver/formats/decompression_formats.h"
#include "formats/format_builder.h"
#include "settings/file_name.h"
#include "settings/yuv_restricted_apps.h"

namespace {

constexpr LRESULT kOk = ICERR_OK;
constexpr LRESULT kBad = ICERR_BADFORMAT;
constexpr std::nullopt_t kNone = std::nullopt;
const BITMAPINFOHEADER kQlnu24 = Pal(kFourCCQlnu, 24);
const BITMAPINFOHEADER kRgb24 = Pal(BI_RGB, 24);

BITMAPINFOHEADER WithColours(BITMAPINFOHEADER format, DWORD colours) {
    format.biClrUsed = colours;
    return format;
}

struct QueryCase {
    const char* name;
    std::optional<BITMAPINFOHEADER> in;
    std::optional<BITMAPINFOHEADER> out;
    LRESULT expected;
};

const QueryCase kCompressionCases[] = {
    {"NoInput", kNone, kNone, kBad},
    {"NoInputWithAnOutput", kNone, kQlnu24, kBad},
    // The input table: exact FourCC and bit count.
    {"Rgb24", Pal(BI_RGB, 24), kNone, kOk},
    {"Rgb32", Pal(BI_RGB, 32), kNone, kOk},
    {"Yuy2", Pal(kFourCCYuy2, 16), kNone, kOk},
    {"Uyvy", Pal(kFourCCUyvy, 16), kNone, kOk},
    {"Yvyu", Pal(kFourCCYvyu, 16), kNone, kOk},
    {"Y16", Pal(kFourCCY16, 16), kNone, kOk},
    {"Y16A", Pal(kFourCCY16A, 24), kNone, kOk},
    {"Rgb16", Pal(BI_RGB, 16), kNone, kBad},
    {"UyvyAt24", Pal(kFourCCUyvy, 24), kNone, kBad},
    {"Y16AAt16", Pal(kFourCCY16A, 16), kNone, kBad},
    {"LowerCaseUyvy", Pal(kFourCCLowerUyvy, 16), kNone, kBad},
    {"QlnuInput", Pal(kFourCCQlnu, 24), kNone, kBad},
    // Geometry: signed remainders of 16.
    {"Ntsc720x486", MakeFormat(BI_RGB, 24, 720, 486), kNone, kBad},
    {"Width8", MakeFormat(BI_RGB, 24, 8, 16), kNone, kBad},
    {"HeightMinus8", MakeFormat(BI_RGB, 24, 16, -8), kNone, kBad},
    {"ZeroByZero", MakeFormat(BI_RGB, 24, 0, 0), kNone, kOk},
    {"TopDown720xMinus480", MakeFormat(BI_RGB, 24, 720, -480), kNone, kOk},
    {"BadGeometryWithAMatchingOutput", MakeFormat(BI_RGB, 24, 1920, 1080),
     MakeFormat(kFourCCQlnu, 24, 1920, 1080), kBad},
    // The output: QLNU in any letter case, 24 or 32 bits, the input's width and signed height.
    {"Qlnu24", Pal(BI_RGB, 24), kQlnu24, kOk},
    {"Qlnu32", Pal(kFourCCUyvy, 16), Pal(kFourCCQlnu, 32), kOk},
    {"Qlnu16", Pal(kFourCCUyvy, 16), Pal(kFourCCQlnu, 16), kBad},
    {"MixedCaseQlnu", Pal(BI_RGB, 24), Pal(mmioFOURCC('Q', 'l', 'N', 'u'), 24), kOk},
    {"QlndOutput", Pal(BI_RGB, 24), Pal(kFourCCQlnd, 24), kBad},
    {"OutputWidthDiffers", Pal(BI_RGB, 24), MakeFormat(kFourCCQlnu, 24, 704, 576), kBad},
    {"OutputHeightNegated", Pal(BI_RGB, 24), MakeFormat(kFourCCQlnu, 24, 720, -576), kBad},
    {"BothTopDown", MakeFormat(BI_RGB, 24, 720, -480), MakeFormat(kFourCCQlnu, 24, 720, -480), kOk},
    // Sizes beyond a signed 32-bit count.
    {"FrameOf65536x32768Wraps", MakeFormat(kFourCCUyvy, 16, 65536, 32768), kNone, kBad},
    {"LargestFrame32752x32768", MakeFormat(kFourCCUyvy, 16, 32752, 32768), kNone, kOk},
    {"Frame32768x32768", MakeFormat(kFourCCUyvy, 16, 32768, 32768), kNone, kBad},
    {"Rgb24Of16384x32768", MakeFormat(BI_RGB, 24, 16384, 32768), kNone, kOk},
    {"Rgb32PictureOf16384x32768", MakeFormat(BI_RGB, 32, 16384, 32768), kNone, kBad},
    {"ColourWordsUpToTheLimit", WithColours(Pal(BI_RGB, 24), 0x1FFFFFF5), kNone, kOk},
    {"ColourWordsBeyondTheLimit", WithColours(Pal(BI_RGB, 24), 0x1FFFFFF6), kNone, kBad},
    {"NegativeWidth", MakeFormat(BI_RGB, 24, -16, 16), kNone, kBad},
    {"WidestMultipleOf16", MakeFormat(BI_RGB, 24, INT_MAX - 15, 16), kNone, kBad},
    {"LowestHeight", MakeFormat(BI_RGB, 24, 16, INT_MIN), kNone, kBad},
};

const QueryCase kDecompressionCases[] = {
    {"NoInput", kNone, kNone, kBad},
    {"NoInputWithAnOutput", kNone, kRgb24, kBad},
    {"NoOutput", kQlnu24, kNone, kOk},
    // The input: QLNU in any letter case, whatever its bit count.
    {"LowerCaseQlnu", Pal(kFourCCLowerQlnu, 24), kRgb24, kOk},
    {"QlnuAt7Bits", Pal(kFourCCQlnu, 7), kRgb24, kOk},
    {"QlndInput", Pal(kFourCCQlnd, 24), kRgb24, kBad},
    {"UyvyInput", Pal(kFourCCUyvy, 16), kRgb24, kBad},
    {"Ntsc720x486", MakeFormat(kFourCCQlnu, 24, 720, 486), kNone, kBad},
    {"ZeroByZero", MakeFormat(kFourCCQlnu, 24, 0, 0), MakeFormat(BI_RGB, 24, 0, 0), kOk},
    {"TopDown", MakeFormat(kFourCCQlnu, 24, 720, -480), MakeFormat(BI_RGB, 24, 720, -480), kOk},
    // The output table: exact FourCC and bit count.
    {"Rgb24", kQlnu24, kRgb24, kOk},
    {"Rgb32", kQlnu24, Pal(BI_RGB, 32), kBad},
    {"Yuy2", kQlnu24, Pal(kFourCCYuy2, 16), kOk},
    {"Uyvy", kQlnu24, Pal(kFourCCUyvy, 16), kOk},
    {"Yvyu", kQlnu24, Pal(kFourCCYvyu, 16), kOk},
    {"Y16", kQlnu24, Pal(kFourCCY16, 16), kOk},
    {"Y16A", kQlnu24, Pal(kFourCCY16A, 24), kBad},
    {"UyvyAt24", kQlnu24, Pal(kFourCCUyvy, 24), kBad},
    {"LowerCaseUyvy", kQlnu24, Pal(kFourCCLowerUyvy, 16), kBad},
    {"QlnuOutput", kQlnu24, kQlnu24, kBad},
    {"OutputHeightNegated", kQlnu24, MakeFormat(BI_RGB, 24, 720, -576), kBad},
    {"OutputWidthDiffers", kQlnu24, MakeFormat(BI_RGB, 24, 704, 576), kBad},
    // Sizes beyond a signed 32-bit count, of the input and of the output.
    {"FrameOf65536x32768Wraps", MakeFormat(kFourCCQlnu, 0, 65536, 32768), kNone, kBad},
    {"LargestFrame", MakeFormat(kFourCCQlnu, 16, 32752, 32768),
     MakeFormat(kFourCCYuy2, 16, 32752, 32768), kOk},
    {"Rgb24OutputTooLarge", MakeFormat(kFourCCQlnu, 16, 23168, 32768),
     MakeFormat(BI_RGB, 24, 23168, 32768), kBad},
    {"Yuy2OutputOfTheSameSize", MakeFormat(kFourCCQlnu, 16, 23168, 32768),
     MakeFormat(kFourCCYuy2, 16, 23168, 32768), kOk},
    {"InputPictureTooLarge", MakeFormat(kFourCCQlnu, 32, 16384, 32768), kNone, kBad},
    {"NegativeWidth", MakeFormat(kFourCCQlnu, 24, -16, 16), MakeFormat(BI_RGB, 24, -16, 16), kBad},
};

const BITMAPINFOHEADER* Pointer(const std::optional<BITMAPINFOHEADER>& format) {
    return format ? &*format : nullptr;
}

// A proposal's answer without an output is the size of the format it would write.
LRESULT Proposed(LRESULT answer) {
    return answer == kBad ? kBad : kOk;
}

// The begin checks are the queries' (a decompression begin needs an output), and a proposal
// is made for exactly the inputs that the query accepts alone.
TEST(NegotiationTest, QueriesBeginChecksAndProposalsAgree) {
    for (const QueryCase& c : kCompressionCases) {
        SCOPED_TRACE(std::string("compression ") + c.name);
        EXPECT_EQ(CompressQuery(Pointer(c.in), Pointer(c.out)), c.expected);
        EXPECT_EQ(CheckCompressBegin(Pointer(c.in), Pointer(c.out)), c.expected);
        if (!c.out) {
            EXPECT_EQ(Proposed(CompressGetFormat(Pointer(c.in), nullptr)), c.expected);
        }
    }
    for (const QueryCase& c : kDecompressionCases) {
        SCOPED_TRACE(std::string("decompression ") + c.name);
        EXPECT_EQ(DecompressQuery(Pointer(c.in), Pointer(c.out)), c.expected);
        std::optional<BITMAPINFOHEADER> out = c.out;
        EXPECT_EQ(CheckDecompressBegin(Pointer(c.in), out ? &*out : nullptr),
                  c.out ? c.expected : kBad);
        if (!c.out) {
            EXPECT_EQ(Proposed(DecompressGetFormat(Pointer(c.in), nullptr)), c.expected);
        }
    }
}

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

TEST(ProposalTest, CompressionProposesQlnuAt24BitsKeepingEveryOtherField) {
    FormatWithColours in{Pal(BI_RGB, 32), {1, 2, 3, 4}};
    in.header.biSizeImage = 1234;
    in.header.biXPelsPerMeter = 2835;
    in.header.biClrImportant = 7;
    EXPECT_EQ(CompressGetFormat(&in.header, nullptr), 40);
    FormatWithColours out = Sentinel();
    ASSERT_EQ(CompressGetFormat(&in.header, &out.header), kOk);
    BITMAPINFOHEADER expected = in.header;
    expected.biBitCount = 24;
    expected.biCompression = kFourCCQlnu;
    expected.biSizeImage = 829460;
    EXPECT_EQ(std::memcmp(&out.header, &expected, sizeof expected), 0);
    EXPECT_EQ(out.colours[0], 0xCDCDCDCDu);

    // Colour words are copied with the header, and counted without an output.
    in.header.biClrUsed = 3;
    EXPECT_EQ(CompressGetFormat(&in.header, nullptr), 52);
    ASSERT_EQ(CompressGetFormat(&in.header, &out.header), kOk);
    EXPECT_EQ(out.colours[2], 3u);
    EXPECT_EQ(out.colours[3], 0xCDCDCDCDu);
}

TEST(ProposalTest, DecompressionProposesRgbAtTheInputBitCount) {
    const struct {
        WORD bitCount;
        LONG height;
        DWORD sizeImage;
    } cases[] = {{24, 576, 1244160}, {24, -576, 1244160}, {16, 576, 829440}, {0, 576, 0}};
    for (const auto& c : cases) {
        FormatWithColours in{MakeFormat(kFourCCQlnu, c.bitCount, 720, c.height), {1, 2, 3, 4}};
        in.header.biSizeImage = 829460;
        in.header.biXPelsPerMeter = 2835;
        in.header.biClrUsed = 2;
        EXPECT_EQ(DecompressGetFormat(&in.header, nullptr), 48);
        FormatWithColours out = Sentinel();
        ASSERT_EQ(DecompressGetFormat(&in.header, &out.header), kOk);
        EXPECT_EQ(out.colours[1], 2u);
        EXPECT_EQ(out.colours[2], 0xCDCDCDCDu);
        BITMAPINFOHEADER expected = in.header;
        expected.biCompression = BI_RGB;
        expected.biSizeImage = c.sizeImage;
        EXPECT_EQ(std::memcmp(&out.header, &expected, sizeof expected), 0)
            << c.bitCount << " bits, height " << c.height;
    }
}

// A proposal is a whole header: a format claiming fewer bytes would have it written past its
// end. Refused inputs leave the output as it was.
TEST(ProposalTest, RefusedInputsLeaveTheOutputUntouched) {
    BITMAPINFOHEADER shortRgb = kRgb24;
    BITMAPINFOHEADER shortQlnu = kQlnu24;
    shortRgb.biSize = shortQlnu.biSize = 39;
    const BITMAPINFOHEADER compressionInputs[] = {Pal(kFourCCUyvy, 24), shortRgb,
                                                  MakeFormat(kFourCCUyvy, 16, 65536, 32768)};
    const BITMAPINFOHEADER decompressionInputs[] = {Pal(kFourCCQlnd, 24), shortQlnu,
                                                    MakeFormat(kFourCCQlnu, 24, -16, 32)};
    FormatWithColours out = Sentinel();
    for (const BITMAPINFOHEADER& in : compressionInputs) {
        EXPECT_EQ(CompressGetFormat(&in, nullptr), kBad);
        EXPECT_EQ(CompressGetFormat(&in, &out.header), kBad);
    }
    for (const BITMAPINFOHEADER& in : decompressionInputs) {
        EXPECT_EQ(DecompressGetFormat(&in, nullptr), kBad);
        EXPECT_EQ(DecompressGetFormat(&in, &out.header), kBad);
    }
    EXPECT_EQ(CompressGetFormat(nullptr, &out.header), kBad);
    EXPECT_EQ(out.header.biSize, 0xCDCDCDCDu);
}

TEST(DecompressBeginTest, FillsInAMissingPictureSizeOfAnAcceptedOutput) {
    BITMAPINFOHEADER sized = kRgb24;
    sized.biSizeImage = 5;
    const struct {
        BITMAPINFOHEADER in;
        BITMAPINFOHEADER out;
        DWORD filled;
    } cases[] = {
        {kQlnu24, kRgb24, 1244160},
        {kQlnu24, Pal(kFourCCYuy2, 16), 829440},
        {kQlnu24, Pal(kFourCCY16, 16), 829440},
        {kQlnu24, sized, 5},
        {kQlnu24, Pal(BI_RGB, 32), 0},
        {MakeFormat(kFourCCQlnu, 24, 720, -576), MakeFormat(kFourCCYuy2, 16, 720, -576), 829440},
    };
    for (const auto& c : cases) {
        BITMAPINFOHEADER out = c.out;
        CheckDecompressBegin(&c.in, &out);
        EXPECT_EQ(out.biSizeImage, c.filled) << c.out.biCompression;
    }
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

// Only the decompression outputs are restricted; compression and the proposal do not ask.
TEST_F(RestrictedProgramTest, DecompressionOffersRgbOnly) {
    ASSERT_TRUE(IsYuvRestrictedApp());
    const BITMAPINFOHEADER yuy2 = Pal(kFourCCYuy2, 16);
    for (const BITMAPINFOHEADER& out : {yuy2, Pal(kFourCCUyvy, 16), Pal(kFourCCY16, 16)}) {
        BITMAPINFOHEADER begin = out;
        EXPECT_EQ(DecompressQuery(&kQlnu24, &out), kBad) << out.biCompression;
        EXPECT_EQ(CheckDecompressBegin(&kQlnu24, &begin), kBad) << out.biCompression;
    }
    BITMAPINFOHEADER rgb = kRgb24;
    EXPECT_EQ(DecompressQuery(&kQlnu24, &kRgb24), kOk);
    EXPECT_EQ(CheckDecompressBegin(&kQlnu24, &rgb), kOk);
    EXPECT_EQ(CompressQuery(&yuy2, &kQlnu24), kOk);
    BITMAPINFOHEADER proposal{};
    EXPECT_EQ(DecompressGetFormat(&kQlnu24, &proposal), kOk);
    EXPECT_EQ(proposal.biCompression, static_cast<DWORD>(BI_RGB));
}

}  // namespace
