// Binding of the RGB conversions: the variant each class's slot binds, the table layout each
// class's constructor writes (and that a second construction changes nothing), the classes
// that convert nothing, pictures too small for any kernel, and faults inside a kernel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "convert/dispatch_slots.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/rgb_to_yuv_tables.h"
#include "convert/yuv_to_rgb_coefficients.h"
#include "convert/yuv_to_rgb_tables.h"
#include "rgb_test_support.h"
#include "support/fake_cpu.h"

namespace {

struct ClassBindingCase {
    CpuClass cpuClass;
    FieldKernel encodeRgb24;
    FieldKernel encodeRgb32;
    FieldKernel decodeRgb24;
    TableLayout layout;
};

void PrintTo(const ClassBindingCase& c, std::ostream* out) {
    *out << "class " << c.cpuClass;
}

const ClassBindingCase kClassBindings[] = {
    {0, nullptr, nullptr, nullptr, TableLayout::None},
    {1, EncodeRgb24Field_MMX, EncodeRgb32Field_MMX, DecodeRgb24Field_MMX, TableLayout::Narrow},
    {2, nullptr, nullptr, nullptr, TableLayout::None},
    {3, EncodeRgb24Field_MMX, EncodeRgb32Field_MMX, DecodeRgb24Field_MMX, TableLayout::Narrow},
    {15, EncodeRgb24Field_SSE, EncodeRgb32Field_SSE, DecodeRgb24Field_SSE, TableLayout::Extended},
    {31, EncodeRgb24Field_SSE2, EncodeRgb32Field_SSE2, DecodeRgb24Field_SSE2, TableLayout::Wide16},
    {135, EncodeRgb24Field_AMD, EncodeRgb32Field_AMD, DecodeRgb24Field_AMD, TableLayout::Extended},
    {143, EncodeRgb24Field_AMD, EncodeRgb32Field_AMD, DecodeRgb24Field_AMD, TableLayout::Extended},
    {159, EncodeRgb24Field_SSE2, EncodeRgb32Field_SSE2, DecodeRgb24Field_SSE2, TableLayout::Wide16},
};

void ResetSlots() {
    gEncodeRgb24FieldSlot.ResetForTesting();
    gEncodeRgb32FieldSlot.ResetForTesting();
    gDecodeRgb24FieldSlot.ResetForTesting();
}

// One conversion of each kind through the converter objects, on a 16 x 2 picture.
struct OneOfEach {
    std::vector<BYTE> rgb = RandomBytes(16 * 4 * 2, 3);
    std::vector<BYTE> encoded24 = std::vector<BYTE>(64, kSentinel);
    std::vector<BYTE> encoded32 = std::vector<BYTE>(64, kSentinel);
    std::vector<BYTE> decoded = std::vector<BYTE>(96, kSentinel);

    void Run() {
        RgbToYuvTables encoder;
        YuvToRgbTables decoder;
        encoder.EncodeRgb24Field(encoded24.data(), rgb.data(), 16, 2, 32, 48);
        encoder.EncodeRgb32Field(encoded32.data(), rgb.data(), 16, 2, 32, 64);
        decoder.DecodeRgb24Field(decoded.data(), rgb.data(), 16, 2, 48, 32);
    }
    bool Untouched() const {
        auto untouched = [](const std::vector<BYTE>& bytes) {
            return std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == kSentinel; });
        };
        return untouched(encoded24) && untouched(encoded32) && untouched(decoded);
    }
};

class RgbClassTest : public ::testing::TestWithParam<ClassBindingCase> {
  protected:
    void SetUp() override {
        ResetSlots();
        gRgbToYuvTable.ResetForTesting();
        gYuvToRgbTable.ResetForTesting();
    }
    void TearDown() override { ResetSlots(); }
};

TEST_P(RgbClassTest, SlotsBindTheClassVariant) {
    ScopedFakeProcessor fake(GetParam().cpuClass);
    OneOfEach conversions;
    conversions.Run();
    EXPECT_EQ(gEncodeRgb24FieldSlot.Bound(), GetParam().encodeRgb24);
    EXPECT_EQ(gEncodeRgb32FieldSlot.Bound(), GetParam().encodeRgb32);
    EXPECT_EQ(gDecodeRgb24FieldSlot.Bound(), GetParam().decodeRgb24);
    EXPECT_EQ(conversions.Untouched(), GetParam().encodeRgb24 == nullptr);
}

TEST_P(RgbClassTest, ConstructorsWriteTheClassLayoutAtAnAlignedAddress) {
    ScopedFakeProcessor fake(GetParam().cpuClass);
    const RgbToYuvTables encoder;
    const YuvToRgbTables decoder;
    const TableLayout layout = GetParam().layout;
    if (layout == TableLayout::None) {
        EXPECT_EQ(gRgbToYuvTable.Data(), nullptr);
        EXPECT_EQ(gYuvToRgbTable.Data(), nullptr);
        return;
    }
    ASSERT_NE(gRgbToYuvTable.Data(), nullptr);
    ASSERT_NE(gYuvToRgbTable.Data(), nullptr);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(gRgbToYuvTable.Data()) % 128, 0u);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(gYuvToRgbTable.Data()) % 128, 0u);

    BYTE expected[kRgbToYuvEntryCount * 16];
    FillRgbToYuvTable(expected, layout);
    EXPECT_EQ(std::memcmp(gRgbToYuvTable.Data(), expected,
                          kRgbToYuvEntryCount * RgbToYuvEntryBytes(layout)),
              0);
    BYTE expectedGroups[kYuvToRgbGroupCount * 16];
    FillYuvToRgbTable(expectedGroups, layout);
    EXPECT_EQ(std::memcmp(gYuvToRgbTable.Data(), expectedGroups,
                          kYuvToRgbGroupCount * YuvToRgbGroupBytes(layout)),
              0);
}

TEST(RgbDispatch, ClassesWithoutVariantStayEmptyAfterAnyNumberOfCalls) {
    for (CpuClass cpuClass : {0, 2}) {
        ResetSlots();
        ScopedFakeProcessor fake(cpuClass);
        OneOfEach conversions;
        for (int call = 0; call < 3; ++call) {
            const int queries = ScopedFakeProcessor::Queries();
            conversions.Run();
            EXPECT_GT(ScopedFakeProcessor::Queries(), queries);  // every call classifies again
            EXPECT_EQ(gEncodeRgb24FieldSlot.Bound(), nullptr);
            EXPECT_EQ(gEncodeRgb32FieldSlot.Bound(), nullptr);
            EXPECT_EQ(gDecodeRgb24FieldSlot.Bound(), nullptr);
        }
        EXPECT_TRUE(conversions.Untouched()) << "class " << cpuClass;
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, RgbClassTest, ::testing::ValuesIn(kClassBindings),
                         [](const auto& info) {
                             return "Class" + std::to_string(info.param.cpuClass);
                         });

// The values themselves, as the encoders and the decoder read them.
TEST(RgbTableLayouts, EntriesRepeatTheirValueAcrossEveryLane) {
    struct Layout {
        TableLayout layout;
        int lanes;
        WORD lumaOffset;
    };
    const WORD values[kRgbToYuvEntryCount] = {3211,  16515, 8421,  0,     14385,
                                              12059, 10599, 25912, 22094, 8224};
    for (const Layout& l :
         {Layout{TableLayout::Narrow, 4, 1056}, Layout{TableLayout::Extended, 4, 2112},
          Layout{TableLayout::Wide16, 8, 2112}}) {
        WORD table[kRgbToYuvEntryCount * 8];
        FillRgbToYuvTable(reinterpret_cast<BYTE*>(table), l.layout);
        for (int entry = 0; entry < kRgbToYuvEntryCount; ++entry) {
            const WORD expected = entry == kLumaOffset ? l.lumaOffset : values[entry];
            for (int lane = 0; lane < l.lanes; ++lane) {
                EXPECT_EQ(table[entry * l.lanes + lane], expected) << entry << "/" << lane;
            }
        }
    }
}

TEST(RgbTableLayouts, DecoderGroupsFollowTheirLayout) {
    short narrow[32], extended[32], wide[64];
    FillYuvToRgbTable(reinterpret_cast<BYTE*>(narrow), TableLayout::Narrow);
    FillYuvToRgbTable(reinterpret_cast<BYTE*>(extended), TableLayout::Extended);
    FillYuvToRgbTable(reinterpret_cast<BYTE*>(wide), TableLayout::Wide16);
    // The alternating narrow groups: full coefficients for even pixels, halves for odd ones.
    EXPECT_EQ(std::vector<short>(narrow + 12, narrow + 16),
              (std::vector<short>{-3203, -1602, -3203, -1602}));
    EXPECT_EQ(std::vector<short>(narrow + 20, narrow + 24),
              (std::vector<short>{16531, 8266, 16531, 8266}));
    EXPECT_EQ(narrow[0], -8192);
    EXPECT_EQ(narrow[28], 0);
    EXPECT_EQ(extended[12], -8192);
    EXPECT_EQ(extended[4 * 7 + 3], 13074);
    EXPECT_EQ(wide[8 * 2 + 7], -4096);
    EXPECT_EQ(wide[8 * 3], -145);
    EXPECT_EQ(wide[8 * 0 + 5], 255);
}

TEST(RgbTables, SecondConstructionLeavesTheTableByteForByte) {
    gRgbToYuvTable.ResetForTesting();
    gYuvToRgbTable.ResetForTesting();
    {
        ScopedFakeProcessor fake(31);
        const RgbToYuvTables encoder;
        const YuvToRgbTables decoder;
    }
    const BYTE* encoderTable = gRgbToYuvTable.Data();
    const BYTE* decoderTable = gYuvToRgbTable.Data();
    const std::vector<BYTE> encoderBytes(encoderTable, encoderTable + kRgbToYuvEntryCount * 16);
    const std::vector<BYTE> decoderBytes(decoderTable, decoderTable + kYuvToRgbGroupCount * 16);
    // A second construction, even as a processor whose layout differs.
    for (CpuClass cpuClass : {31, 3}) {
        ScopedFakeProcessor fake(cpuClass);
        const RgbToYuvTables encoder;
        const YuvToRgbTables decoder;
        ASSERT_EQ(gRgbToYuvTable.Data(), encoderTable);
        ASSERT_EQ(gYuvToRgbTable.Data(), decoderTable);
        EXPECT_EQ(std::memcmp(encoderTable, encoderBytes.data(), encoderBytes.size()), 0);
        EXPECT_EQ(std::memcmp(decoderTable, decoderBytes.data(), decoderBytes.size()), 0);
    }
}

TEST(RgbDispatch, NarrowOrEmptyPicturesReachNoKernel) {
    ResetSlots();
    ScopedFakeProcessor fake(31);
    OneOfEach conversions;
    RgbToYuvTables encoder;
    YuvToRgbTables decoder;
    const int queries = ScopedFakeProcessor::Queries();
    for (auto [width, rows] : {std::pair{0, 2}, {8, 2}, {-16, 2}, {16, 0}, {16, -1}}) {
        encoder.EncodeRgb24Field(conversions.encoded24.data(), conversions.rgb.data(), width, rows,
                                 32, 48);
        encoder.EncodeRgb32Field(conversions.encoded32.data(), conversions.rgb.data(), width, rows,
                                 32, 64);
        decoder.DecodeRgb24Field(conversions.decoded.data(), conversions.rgb.data(), width, rows,
                                 48, 32);
    }
    EXPECT_EQ(ScopedFakeProcessor::Queries(), queries);
    EXPECT_EQ(gEncodeRgb24FieldSlot.Bound(), nullptr);
    EXPECT_TRUE(conversions.Untouched());
}

// Faults inside a kernel end the call quietly; what was written stays written.
class RgbFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseTablesOf(31);
        ResetSlots();
    }
    static constexpr int kWidth = 720;
    static constexpr int kRows = 288;
};

TEST_F(RgbFaultTest, DecoderKeepsTheRowsBeforeAnUnreadablePage) {
    const int sourceStride = 2 * kWidth, outputStride = 3 * kWidth;
    GuardedPicture field(sourceStride, kRows, sourceStride, 11);
    std::vector<BYTE> expected(static_cast<std::size_t>(outputStride) * kRows);
    DecodeRgb24Field_ExtendedC(expected.data(), field.data(), kWidth, kRows, outputStride,
                               sourceStride);
    const std::size_t protectedPages = 20;
    field.pages().ProtectLastPages(protectedPages);
    const std::size_t readableBytes =
        field.pages().size() - protectedPages * GuardedPages::PageSize();
    const int readableRows = static_cast<int>(readableBytes / sourceStride);

    std::vector<BYTE> picture(expected.size(), kSentinel);
    YuvToRgbTables decoder;
    decoder.DecodeRgb24Field(picture.data(), field.data(), kWidth, kRows, outputStride,
                             sourceStride);
    // Source row r lands in output row kRows - 1 - r.
    const std::size_t writtenFrom = static_cast<std::size_t>(kRows - readableRows) * outputStride;
    EXPECT_TRUE(
        std::equal(picture.begin() + writtenFrom, picture.end(), expected.begin() + writtenFrom));
    const std::size_t neverReached =
        static_cast<std::size_t>(kRows - readableRows - 1) * outputStride;
    EXPECT_TRUE(std::all_of(picture.begin(), picture.begin() + neverReached,
                            [](BYTE b) { return b == kSentinel; }));

    // The next call works.
    std::vector<BYTE> good = RandomBytes(static_cast<std::size_t>(sourceStride) * 2, 12);
    std::vector<BYTE> again(2 * outputStride), reference(2 * outputStride);
    decoder.DecodeRgb24Field(again.data(), good.data(), kWidth, 2, outputStride, sourceStride);
    DecodeRgb24Field_ExtendedC(reference.data(), good.data(), kWidth, 2, outputStride,
                               sourceStride);
    EXPECT_EQ(again, reference);
    EXPECT_EQ(gDecodeRgb24FieldSlot.Bound(), DecodeRgb24Field_SSE2);
}

// The encoders read the bottom source row (the highest address) first.
TEST_F(RgbFaultTest, EncoderStopsAtAnUnreadableBottomRow) {
    const int sourceStride = 3 * kWidth;
    GuardedPicture picture(sourceStride, kRows, sourceStride, 13);
    picture.pages().ProtectLastPages(1);
    std::vector<BYTE> field(static_cast<std::size_t>(2 * kWidth) * kRows, kSentinel);
    RgbToYuvTables encoder;
    encoder.EncodeRgb24Field(field.data(), picture.data(), kWidth, kRows, 2 * kWidth, sourceStride);
    EXPECT_TRUE(std::all_of(field.begin(), field.end(), [](BYTE b) { return b == kSentinel; }));

    std::vector<BYTE> expected(field.size());
    encoder.EncodeRgb24Field(field.data(), picture.data(), kWidth, kRows - 10, 2 * kWidth,
                             sourceStride);
    EncodeRgb24Field_C(expected.data(), picture.data(), kWidth, kRows - 10, 2 * kWidth,
                       sourceStride);
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.begin() + 2 * kWidth * (kRows - 10), field.begin()));
}

}  // namespace
