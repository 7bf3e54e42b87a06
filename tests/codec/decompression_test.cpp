// ICM_DECOMPRESS_BEGIN, ICM_DECOMPRESS and ICM_DECOMPRESS_END through DriverProc: where the
// reader takes fields from, and which frames leave the host's picture untouched.
#include <algorithm>
#include <cstring>

#include "codec/qlnu_frame.h"
#include "debug_lines.h"
#include "frame_builder.h"
#include "session_test.h"
#include "support/guarded_pages.h"

namespace {

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 32;
constexpr std::size_t kFieldBytes = kWidth * kHeight;
constexpr std::size_t kLineBytes = 2 * kWidth;

Bytes LinesOf(const Bytes& picture, int first) {
    Bytes lines;
    for (int line = first; line < kHeight; line += 2) {
        const Bytes row = RowOf(picture, kLineBytes, line);
        lines.insert(lines.end(), row.begin(), row.end());
    }
    return lines;
}

// The picture with each line of `field` shown twice.
Bytes LineDoubled(const Bytes& field) {
    Bytes picture;
    for (int line = 0; line < kHeight / 2; ++line) {
        const Bytes row = RowOf(field, kLineBytes, line);
        picture.insert(picture.end(), row.begin(), row.end());
        picture.insert(picture.end(), row.begin(), row.end());
    }
    return picture;
}

class DecompressionTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        picture_ = RandomUyvy(kWidth, kHeight, 11);
        even_ = LinesOf(picture_, 0);
        odd_ = LinesOf(picture_, 1);
    }

    // Decodes to UYVY into a picture filled with 0xCD; `frameBytes` bounds the frame.
    Bytes DecodeUyvy(const Bytes& frame, DWORD flags = 0) {
        const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
        EXPECT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
        Bytes decoded(output.biSizeImage, 0xCD);
        EXPECT_EQ(DecompressFrame(frame, static_cast<DWORD>(frame.size()), output, decoded, flags),
                  ICERR_OK);
        return decoded;
    }

    Bytes Untouched() const { return Bytes(picture_.size(), 0xCD); }

    Bytes picture_;
    Bytes even_;
    Bytes odd_;
};

TEST_F(DecompressionTest, FieldsGoWhereTheirOddFieldBitSays) {
    for (DWORD processors : {1u, 2u}) {
        SetProcessorCountForTesting(processors);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(kOddField, odd_).Field(0, even_).Frame()),
                  picture_);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_).Frame()),
                  picture_);
    }
}

// Both write the even lines, the second last; the odd lines keep what the buffer held.
TEST_F(DecompressionTest, TwoFieldsOfOneParityWriteTheSameLines) {
    Bytes expected = LineDoubled(odd_);
    for (int line = 1; line < kHeight; line += 2) {
        std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(kLineBytes * line), kLineBytes,
                    0xCD);
    }
    for (DWORD processors : {1u, 2u}) {
        SetProcessorCountForTesting(processors);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_).Field(0, odd_).Frame()),
                  expected);
    }
}

TEST_F(DecompressionTest, ForeignRecordIsSteppedOver) {
    const Bytes frame = FrameBuilder()
                            .Magic()
                            .Record(0x00000001, 5, Bytes(5, 0x77))
                            .Field(0, even_)
                            .Field(kOddField, odd_)
                            .Frame();
    EXPECT_EQ(DecodeUyvy(frame), picture_);
}

TEST_F(DecompressionTest, OneFieldIsShownLineDoubled) {
    EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(kOddField, odd_).Frame()), LineDoubled(odd_));
    EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_).Frame()), LineDoubled(even_));
}

TEST_F(DecompressionTest, SecondRecordRunningPastTheEndIsNotRead) {
    Bytes truncated = even_;
    truncated.pop_back();
    const Bytes frame = FrameBuilder()
                            .Magic()
                            .Field(0, even_)
                            .Record(kOddField, static_cast<DWORD>(kFieldBytes), truncated)
                            .Frame();
    EXPECT_EQ(DecodeUyvy(frame), LineDoubled(even_));
}

TEST_F(DecompressionTest, ShortFieldRecordIsSteppedOver) {
    const Bytes shortField(even_.begin(), even_.end() - 1);
    const Bytes frame = FrameBuilder().Magic().Field(0, shortField).Field(kOddField, odd_).Frame();
    EXPECT_EQ(DecodeUyvy(frame), LineDoubled(odd_));
}

// The frame's biSizeImage is the end of the frame, even when the buffer goes on.
TEST_F(DecompressionTest, FrameEndsWhereItsFormatSays) {
    const Bytes frame = FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_).Frame();
    const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
    Bytes decoded(output.biSizeImage, 0xCD);
    const auto shortened = static_cast<DWORD>(frame.size() - 1);
    ASSERT_EQ(DecompressFrame(frame, shortened, output, decoded), ICERR_OK);
    EXPECT_EQ(decoded, LineDoubled(even_));
}

TEST_F(DecompressionTest, RefusedFramesLeaveThePictureUntouched) {
    const FrameBuilder lowerCase =
        FrameBuilder().Magic("qln1").Field(0, even_).Field(kOddField, odd_);
    const FrameBuilder otherMagic =
        FrameBuilder().Magic("QLND").Field(0, even_).Field(kOddField, odd_);
    const FrameBuilder noField = FrameBuilder().Magic().Record(2, 8, Bytes(8, 0));
    const FrameBuilder onlyShortFields =
        FrameBuilder().Magic().Field(0, Bytes(kFieldBytes - 1, 1)).Field(kOddField, Bytes(16, 1));
    for (const FrameBuilder* refused : {&lowerCase, &otherMagic, &noField, &onlyShortFields}) {
        EXPECT_EQ(DecodeUyvy(refused->Frame()), Untouched());
    }
}

TEST_F(DecompressionTest, HurryUpAndPrerollLeaveThePictureUntouched) {
    const Bytes frame = FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_).Frame();
    EXPECT_EQ(DecodeUyvy(frame, ICDECOMPRESS_HURRYUP), Untouched());
    EXPECT_EQ(DecodeUyvy(frame, ICDECOMPRESS_PREROLL), Untouched());
}

TEST_F(DecompressionTest, DecompressBeforeAnyBeginAnswersError) {
    ICDECOMPRESS request{};
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_ERROR);
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS_END), ICERR_OK);
}

// A request whose formats cannot be read faults in the frame step itself, outside any
// conversion.
TEST_F(DecompressionTest, FaultOutsideTheConversionsIsReportedOnce) {
    ASSERT_EQ(DecompressBegin(UncompressedHeader(kUyvy, kWidth, kHeight), kWidth, kHeight),
              ICERR_OK);
    DebugLines debug;
    GuardedPages formats(GuardedPages::PageSize());
    formats.ProtectLastPages(1);
    ICDECOMPRESS request{};
    request.lpbiInput = reinterpret_cast<BITMAPINFOHEADER*>(formats.data());
    request.lpbiOutput = reinterpret_cast<BITMAPINFOHEADER*>(formats.data());
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_OK);
    EXPECT_EQ(debug.Lines(),
              std::vector<std::string>{"QLNU Decompress: Exception while during decompress\n"});
}

TEST_F(DecompressionTest, BeginRefusalsKeepTheRunningSession) {
    const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
    Decompressor* session = Instance()->ActiveDecompressor;
    const BITMAPINFOHEADER rgb32 = UncompressedHeader(kRgb32, kWidth, kHeight);
    EXPECT_EQ(DecompressBegin(rgb32, kWidth, kHeight), ICERR_BADFORMAT);
    BITMAPINFOHEADER input = QlnuHeader(kWidth, kHeight);
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input), 0),
              ICERR_BADFORMAT);
    EXPECT_EQ(Instance()->ActiveDecompressor, session);
}

TEST_F(DecompressionTest, BeginFillsInAMissingPictureSize) {
    BITMAPINFOHEADER input = QlnuHeader(kWidth, kHeight);
    BITMAPINFOHEADER output = UncompressedHeader(kRgb24, kWidth, kHeight);
    output.biSizeImage = 0;
    ASSERT_EQ(Send(id_, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input),
                   reinterpret_cast<LPARAM>(&output)),
              ICERR_OK);
    EXPECT_EQ(output.biSizeImage, static_cast<DWORD>(3 * kWidth * kHeight));
}

// A negative height makes an RGB picture top-down; packed YUV is top-down either way.
TEST_F(DecompressionTest, TopDownRgbOutputIsTheBottomUpPictureFlipped) {
    const Bytes frame = FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_).Frame();
    const Bytes bottomUp = Decompress(frame, kRgb24, kWidth, kHeight);
    const Bytes topDown = Decompress(frame, kRgb24, kWidth, -kHeight);
    EXPECT_EQ(topDown, FlipRows(bottomUp, RowBytes(kRgb24, kWidth)));
    EXPECT_EQ(Decompress(frame, kYuy2, kWidth, -kHeight),
              Decompress(frame, kYuy2, kWidth, kHeight));
}

}  // namespace
