// ICM_DECOMPRESS_BEGIN, ICM_DECOMPRESS and ICM_DECOMPRESS_END through DriverProc: where the
// fields of a frame go in the picture, and which frames leave the host's picture untouched.
#include <algorithm>

#include "frame_builder.h"
#include "session_test.h"

namespace {

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 32;
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

    // Decodes to UYVY into a picture filled with 0xCD; the frame's format gives its size less
    // `shortenedBy`.
    Bytes DecodeUyvy(const FrameBuilder& builder, DWORD flags = 0, DWORD shortenedBy = 0) {
        const Bytes& frame = builder.Frame();
        const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
        EXPECT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
        Bytes decoded(output.biSizeImage, 0xCD);
        EXPECT_EQ(DecompressFrame(frame, static_cast<DWORD>(frame.size()) - shortenedBy, output,
                                  decoded, flags),
                  ICERR_OK);
        return decoded;
    }

    Bytes Untouched() const { return Bytes(picture_.size(), 0xCD); }

    Bytes picture_;
    Bytes even_;
    Bytes odd_;
};

TEST_F(DecompressionTest, FieldsGoWhereTheirOddFieldBitSays) {
    Bytes sameParity = LineDoubled(odd_);
    for (int line = 1; line < kHeight; line += 2) {
        std::fill_n(sameParity.begin() + static_cast<std::ptrdiff_t>(kLineBytes * line), kLineBytes,
                    0xCD);
    }
    for (DWORD processors : {1u, 2u}) {
        SetProcessorCountForTesting(processors);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(kOddField, odd_).Field(0, even_)),
                  picture_);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_)),
                  picture_);
        // Both write the even lines, the second last; the odd lines keep what was there.
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_).Field(0, odd_)), sameParity);
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(kOddField, odd_)), LineDoubled(odd_));
        EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Field(0, even_)), LineDoubled(even_));
    }
}

// The frame's biSizeImage is the end of the frame, even when the buffer goes on.
TEST_F(DecompressionTest, FrameEndsWhereItsFormatSays) {
    const FrameBuilder frame = FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_);
    EXPECT_EQ(DecodeUyvy(frame, 0, 1), LineDoubled(even_));
}

TEST_F(DecompressionTest, RefusedAndSkippedFramesLeaveThePictureUntouched) {
    const FrameBuilder frame = FrameBuilder().Magic().Field(0, even_).Field(kOddField, odd_);
    EXPECT_EQ(DecodeUyvy(frame, ICDECOMPRESS_HURRYUP), Untouched());
    EXPECT_EQ(DecodeUyvy(frame, ICDECOMPRESS_PREROLL), Untouched());
    EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic("qln1").Field(0, even_)), Untouched());
    EXPECT_EQ(DecodeUyvy(FrameBuilder().Magic().Record(2, 8)), Untouched());
}

TEST_F(DecompressionTest, BeginRefusalsKeepTheRunningSession) {
    const BITMAPINFOHEADER output = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(DecompressBegin(output, kWidth, kHeight), ICERR_OK);
    Decompressor* session = Instance()->ActiveDecompressor;
    EXPECT_EQ(DecompressBegin(UncompressedHeader(kRgb32, kWidth, kHeight), kWidth, kHeight),
              ICERR_BADFORMAT);
    BITMAPINFOHEADER input = QlnuHeader(kWidth, kHeight);
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input), 0),
              ICERR_BADFORMAT);
    EXPECT_EQ(Instance()->ActiveDecompressor, session);
}

}  // namespace
