// ICM_COMPRESS_BEGIN, ICM_COMPRESS and ICM_COMPRESS_END through DriverProc: the frame a host
// gets, byte for byte, and what the messages answer.
#include <cstring>

#include "codec/qlnu_frame.h"
#include "debug_lines.h"
#include "session_test.h"
#include "support/guarded_pages.h"

namespace {

constexpr LONG kWidth = 720;
constexpr LONG kHeight = 576;
constexpr std::size_t kFieldBytes = kWidth * kHeight;
constexpr std::size_t kFrameBytes = 2 * kFieldBytes + 20;

DWORD WordAt(const Bytes& frame, std::size_t offset) {
    DWORD word;
    std::memcpy(&word, frame.data() + offset, sizeof word);
    return word;
}

// Line `line` of the field record whose pixels start at `pixels`.
Bytes FieldLine(const Bytes& frame, std::size_t pixels, int line, int width = kWidth) {
    const std::size_t lineBytes = 2 * static_cast<std::size_t>(width);
    const auto begin = frame.begin() + static_cast<std::ptrdiff_t>(pixels + lineBytes * line);
    return Bytes(begin, begin + static_cast<std::ptrdiff_t>(lineBytes));
}

class CompressionTest : public SessionTest {};

TEST_F(CompressionTest, UyvyFrameAtByteLevel) {
    SetProcessorCountForTesting(1);
    const Bytes picture = RandomUyvy(kWidth, kHeight, 1);
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(input), ICERR_OK);
    const CompressCall call = CompressFrame(input, picture, kWidth, kHeight, kFrameBytes, 0x100);
    EXPECT_EQ(call.answer, ICERR_OK);

    EXPECT_EQ(call.outputFormat.biSizeImage, 829460u);
    EXPECT_EQ(std::memcmp(call.frame.data(), "QLN1", 4), 0);
    EXPECT_EQ(WordAt(call.frame, 4), 0x80000000u);
    EXPECT_EQ(WordAt(call.frame, 8), 414720u);
    EXPECT_EQ(WordAt(call.frame, 414732), 0u);
    EXPECT_EQ(WordAt(call.frame, 414736), 414720u);
    const std::size_t rowBytes = 2 * kWidth;
    for (int line = 0; line < kHeight / 2; ++line) {
        ASSERT_EQ(FieldLine(call.frame, 12, line), RowOf(picture, rowBytes, 2 * line + 1));
        ASSERT_EQ(FieldLine(call.frame, 414740, line), RowOf(picture, rowBytes, 2 * line));
    }
    EXPECT_EQ(call.chunkId, 0x6364u);
    EXPECT_EQ(call.flags, 0x112u);
}

TEST_F(CompressionTest, RgbFrameHasTheEvenLinesFirst) {
    SetProcessorCountForTesting(1);
    const Bytes frame = Compress(kRgb24, kWidth, kHeight, RandomRgbBlocks(kWidth, kHeight, 3, 2));
    ASSERT_EQ(frame.size(), kFrameBytes);
    EXPECT_EQ(WordAt(frame, 4), 0u);
    EXPECT_EQ(WordAt(frame, 8), 414720u);
    EXPECT_EQ(WordAt(frame, 414732), 0x80000000u);
    EXPECT_EQ(WordAt(frame, 414736), 414720u);
}

// The RGB frame's records moved into the order a UYVY source gives: the reader places them
// by their OddField bits, so both frames decode to the same picture.
TEST_F(CompressionTest, RecordOrderDoesNotChangeTheDecodedPicture) {
    const Bytes rgb = RandomRgbBlocks(kWidth, kHeight, 3, 3);
    const Bytes frame = Compress(kRgb24, kWidth, kHeight, rgb);
    const std::size_t recordBytes = 8 + kFieldBytes;
    Bytes reordered(frame.begin(), frame.begin() + 4);
    reordered.insert(reordered.end(), frame.begin() + 4 + recordBytes, frame.end());
    reordered.insert(reordered.end(), frame.begin() + 4, frame.begin() + 4 + recordBytes);
    ASSERT_EQ(WordAt(reordered, 4), 0x80000000u);

    const Bytes picture = Decompress(frame, kUyvy, kWidth, kHeight);
    EXPECT_EQ(Decompress(reordered, kUyvy, kWidth, kHeight), picture);
    // The top picture line is the first line of the RGB frame's first (even) field.
    EXPECT_EQ(RowOf(picture, 2 * kWidth, 0), FieldLine(frame, 12, 0));
}

TEST_F(CompressionTest, TopDownRgbGivesTheFrameOfItsBottomUpTwin) {
    for (const PictureFormat& format : {kRgb24, kRgb32}) {
        const int pixelBytes = format.bitCount / 8;
        const Bytes bottomUp = RandomRgbBlocks(kWidth, kHeight, pixelBytes, 4);
        const Bytes topDown = FlipRows(bottomUp, RowBytes(format, kWidth));
        EXPECT_EQ(Compress(format, kWidth, -kHeight, topDown),
                  Compress(format, kWidth, kHeight, bottomUp))
            << format.name;
    }
}

TEST_F(CompressionTest, PackedYuvIsTopDownWhateverTheSign) {
    const Bytes picture =
        UyvyToLayout(RandomUyvy(kWidth, kHeight, 5), kWidth, kHeight, kYuy2.compression);
    EXPECT_EQ(Compress(kYuy2, kWidth, -kHeight, picture),
              Compress(kYuy2, kWidth, kHeight, picture));
}

TEST_F(CompressionTest, TooSmallABufferIsLeftUntouched) {
    const Bytes picture = RandomUyvy(kWidth, kHeight, 6);
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(input), ICERR_OK);
    // An output format larger than the input: the frame size comes from the input.
    const CompressCall call =
        CompressFrame(input, picture, kWidth, kHeight + 16, kFrameBytes + 2 * kWidth * 16);
    EXPECT_EQ(call.answer, ICERR_OK);
    EXPECT_EQ(call.frame, Bytes(call.frame.size(), 0xEE));
    EXPECT_EQ(call.chunkId, 0xEEEEEEEEu);
    EXPECT_EQ(call.flags, 0u);
}

TEST_F(CompressionTest, EmptyPictureGivesMagicAndTwoEmptyHeaders) {
    for (const auto& [width, height] : {std::pair<LONG, LONG>{0, 576}, {720, 0}}) {
        const BITMAPINFOHEADER input = UncompressedHeader(kRgb24, width, height);
        ASSERT_EQ(CompressBegin(input), ICERR_OK);
        const CompressCall call = CompressFrame(input, Bytes(), width, height, 20);
        EXPECT_EQ(call.answer, ICERR_OK);
        const Bytes expected = {'Q', 'L', 'N', '1', 0, 0,    0, 0, 0, 0,
                                0,   0,   0,   0,   0, 0x80, 0, 0, 0, 0};
        EXPECT_EQ(call.frame, expected);
        EXPECT_EQ(call.outputFormat.biSizeImage, 20u);
    }
}

// A request whose formats cannot be read faults in the frame step itself, outside any
// conversion.
TEST_F(CompressionTest, FaultOutsideTheConversionsIsReportedOnce) {
    ASSERT_EQ(CompressBegin(UncompressedHeader(kUyvy, 16, 16)), ICERR_OK);
    DebugLines debug;
    GuardedPages formats(GuardedPages::PageSize());
    formats.ProtectLastPages(1);
    ICCOMPRESS request{};
    request.lpbiOutput = reinterpret_cast<BITMAPINFOHEADER*>(formats.data());
    request.lpbiInput = reinterpret_cast<BITMAPINFOHEADER*>(formats.data());
    EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_OK);
    EXPECT_EQ(debug.Lines(),
              std::vector<std::string>{"Exception in compress QLNU processing...\n"});
}

TEST_F(CompressionTest, MessagesAnswerWithoutASession) {
    ICCOMPRESS request{};
    EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_ERROR);
    EXPECT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
}

TEST_F(CompressionTest, ConfigurationOnlyOpenHasNoSessions) {
    const DWORD_PTR configurationOnly = Send(0, DRV_OPEN, 0, 0);
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, 16, 16);
    const BITMAPINFOHEADER output = QlnuHeader(16, 16);
    const auto in = reinterpret_cast<LPARAM>(&input);
    const auto out = reinterpret_cast<LPARAM>(&output);
    ICCOMPRESS compress{};
    ICDECOMPRESS decompress{};
    EXPECT_EQ(Send(configurationOnly, ICM_COMPRESS_BEGIN, in, out), ICERR_UNSUPPORTED);
    EXPECT_EQ(Send(configurationOnly, ICM_COMPRESS, reinterpret_cast<LPARAM>(&compress)),
              ICERR_UNSUPPORTED);
    EXPECT_EQ(Send(configurationOnly, ICM_COMPRESS_END), ICERR_UNSUPPORTED);
    EXPECT_EQ(Send(configurationOnly, ICM_DECOMPRESS_BEGIN, out, in), ICERR_UNSUPPORTED);
    EXPECT_EQ(Send(configurationOnly, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&decompress)),
              ICERR_UNSUPPORTED);
    EXPECT_EQ(Send(configurationOnly, ICM_DECOMPRESS_END), ICERR_UNSUPPORTED);
    Close(configurationOnly);
}

TEST_F(CompressionTest, RefusedBeginKeepsTheRunningSession) {
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(input), ICERR_OK);
    Compressor* session = Instance()->ActiveCompressor;
    const BITMAPINFOHEADER odd = UncompressedHeader(kUyvy, 720, 486);
    EXPECT_EQ(CompressBegin(odd), ICERR_BADFORMAT);
    EXPECT_EQ(Instance()->ActiveCompressor, session);
    EXPECT_EQ(
        CompressFrame(input, RandomUyvy(kWidth, kHeight, 7), kWidth, kHeight, kFrameBytes).answer,
        ICERR_OK);
}

TEST_F(CompressionTest, EndAndCloseGiveEverythingBack) {
    const SIZE_T baseline = PosixHeapLiveBlockCount(ghDriverHeap);
    for (DWORD processors : {1u, 2u}) {
        SetProcessorCountForTesting(processors);
        ASSERT_EQ(CompressBegin(UncompressedHeader(kRgb24, 16, 16)), ICERR_OK);
        EXPECT_GT(PosixHeapLiveBlockCount(ghDriverHeap), baseline);
        EXPECT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
        EXPECT_EQ(Instance()->ActiveCompressor, nullptr);
        EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), baseline);
    }
}

TEST_F(CompressionTest, FaultInsideAConversionIsSwallowed) {
    for (const PictureFormat& format : {kUyvy, kYuy2, kRgb24}) {
        for (DWORD processors : {1u, 2u}) {
            SetProcessorCountForTesting(processors);
            DebugLines debug;
            // Only the first half of the picture in memory can be read.
            const std::size_t pictureBytes = RowBytes(format, kWidth) * kHeight;
            GuardedPages source(pictureBytes);
            source.ProtectLastPages(pictureBytes / 2 / GuardedPages::PageSize());
            const BITMAPINFOHEADER input = UncompressedHeader(format, kWidth, kHeight);
            ASSERT_EQ(CompressBegin(input), ICERR_OK);
            Bytes frame(kFrameBytes, 0xEE);
            BITMAPINFOHEADER inputFormat = input;
            BITMAPINFOHEADER output = QlnuHeader(kWidth, kHeight);
            ICCOMPRESS request{};
            request.lpbiOutput = &output;
            request.lpOutput = frame.data();
            request.lpbiInput = &inputFormat;
            request.lpInput = source.data();
            EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
                      ICERR_OK)
                << format.name;
            EXPECT_EQ(std::memcmp(frame.data(), "QLN1", 4), 0);
            EXPECT_TRUE(debug.Lines().empty()) << format.name;
            ASSERT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
        }
    }
}

}  // namespace
