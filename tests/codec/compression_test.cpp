// ICM_COMPRESS_BEGIN, ICM_COMPRESS and ICM_COMPRESS_END through DriverProc: the frame a host
// gets, byte for byte, and what the messages answer.
#include <algorithm>
#include <cstring>
#include <tuple>

#include "codec/field_compressor.h"
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
Bytes FieldLine(const Bytes& frame, std::size_t pixels, int line) {
    return RowOf(Bytes(frame.begin() + static_cast<std::ptrdiff_t>(pixels), frame.end()),
                 2 * kWidth, line);
}

class CompressionTest : public SessionTest {};

TEST_F(CompressionTest, UyvyFrameAtByteLevel) {
    SetProcessorCountForTesting(1);
    const Bytes picture = RandomUyvy(kWidth, kHeight, 1);
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(input), ICERR_OK);
    const CompressCall call = CompressFrame(input, picture, kWidth, kHeight, kFrameBytes, 0x100);
    EXPECT_EQ(call.answer, ICERR_OK);

    EXPECT_EQ(call.outputFormat.biSizeImage, kFrameBytes);
    EXPECT_EQ(std::memcmp(call.frame.data(), "QLN1", 4), 0);
    EXPECT_EQ(WordAt(call.frame, 4), kOddField);
    EXPECT_EQ(WordAt(call.frame, 8), kFieldBytes);
    EXPECT_EQ(WordAt(call.frame, 12 + kFieldBytes), 0u);
    EXPECT_EQ(WordAt(call.frame, 16 + kFieldBytes), kFieldBytes);
    for (int line = 0; line < kHeight / 2; ++line) {
        ASSERT_EQ(FieldLine(call.frame, 12, line), RowOf(picture, 2 * kWidth, 2 * line + 1));
        ASSERT_EQ(FieldLine(call.frame, 20 + kFieldBytes, line),
                  RowOf(picture, 2 * kWidth, 2 * line));
    }
    EXPECT_EQ(call.chunkId, 0x6364u);
    EXPECT_EQ(call.flags, 0x112u);
}

TEST_F(CompressionTest, RgbFrameHasTheEvenLinesFirst) {
    const Bytes frame = Compress(kRgb32, kWidth, kHeight, RandomRgbBlocks(kWidth, kHeight, 4, 2));
    ASSERT_EQ(frame.size(), kFrameBytes);
    EXPECT_EQ(WordAt(frame, 4), 0u);
    EXPECT_EQ(WordAt(frame, 12 + kFieldBytes), kOddField);
}

TEST_F(CompressionTest, PackedYuvIsTopDownWhateverTheSign) {
    const Bytes picture =
        UyvyToLayout(RandomUyvy(kWidth, kHeight, 5), kWidth, kHeight, kYuy2.compression);
    EXPECT_EQ(Compress(kYuy2, kWidth, -kHeight, picture),
              Compress(kYuy2, kWidth, kHeight, picture));
}

// With or without the field order swap, which has nothing to move.
TEST_F(CompressionTest, EmptyPictureGivesMagicAndTwoEmptyHeaders) {
    for (const auto& [width, height, swap] :
         {std::tuple<LONG, LONG, bool>{0, 576, false}, {720, 0, false}, {0, 576, true}}) {
        SetChangeFieldsOrder(swap);
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

// Source rows further apart than a kernel's stride can say are not compressed, whatever room
// the frame has.
TEST_F(CompressionTest, RowsTooFarApartForAKernelAreLeftAlone) {
    SetProcessorCountForTesting(1);
    FieldCompressor session;
    ASSERT_TRUE(session.Begin(nullptr, &Instance()->State));
    BITMAPINFOHEADER input = UncompressedHeader(kRgb32, 1 << 28, 2);
    BITMAPINFOHEADER output = QlnuHeader(1 << 28, 2);
    output.biSizeImage = 0xFFFFFFFF;
    Bytes frame(64, 0xEE);
    ICCOMPRESS request{.lpbiOutput = &output,
                       .lpOutput = frame.data(),
                       .lpbiInput = &input,
                       .lpInput = frame.data()};
    EXPECT_EQ(session.CompressFrame(&request), ICERR_OK);
    EXPECT_EQ(frame, Bytes(64, 0xEE));
}

TEST_F(CompressionTest, RefusedBeginKeepsTheRunningSession) {
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, kWidth, kHeight);
    ASSERT_EQ(CompressBegin(input), ICERR_OK);
    Compressor* session = Instance()->ActiveCompressor;
    EXPECT_EQ(CompressBegin(UncompressedHeader(kUyvy, 720, 486)), ICERR_BADFORMAT);
    EXPECT_EQ(Instance()->ActiveCompressor, session);
}

// A frame compressed from a picture of which only the first `readable` bytes can be read: the
// magic and both field headers (the odd field first from packed YUV, second from RGB), and in
// each field, whose lines the kernels write top first, the lines of the whole picture's frame up
// to the first whose picture row cannot be read in full, and nothing from there on (a row read in
// part may leave its line in part).
void ExpectTheReadableRowsOnly(const Bytes& frame, const Bytes& whole, const PictureFormat& format,
                               std::size_t readable) {
    const std::size_t rowBytes = RowBytes(format, kWidth);
    EXPECT_EQ(std::memcmp(frame.data(), "QLN1", 4), 0);
    for (std::size_t header : {std::size_t{4}, 12 + kFieldBytes}) {
        const bool odd = (header == 4) != IsRgb(format);
        EXPECT_EQ(WordAt(frame, header), odd ? kOddField : 0u) << format.name;
        EXPECT_EQ(WordAt(frame, header + 4), kFieldBytes) << format.name;
        const int parity = odd ? 1 : 0;
        int cut = -1;
        for (int line = 0; line < kHeight / 2; ++line) {
            const int pictureRow = 2 * line + parity;
            const std::size_t row = IsRgb(format) ? kHeight - 1 - pictureRow : pictureRow;
            if (cut < 0 && (row + 1) * rowBytes > readable) {
                cut = line;
            }
            const Bytes actual = FieldLine(frame, header + 8, line);
            if (cut < 0) {
                ASSERT_EQ(actual, FieldLine(whole, header + 8, line)) << format.name << " " << line;
            } else if (line > cut || row * rowBytes >= readable) {
                ASSERT_EQ(actual, Bytes(2 * kWidth, 0xEE)) << format.name << " " << line;
            }
        }
    }
}

// A fault inside a conversion is swallowed where it happens; one outside (here: formats that
// cannot be read) ends the frame, compressed or decompressed, and is reported.
TEST_F(CompressionTest, FaultsAreCaughtAndOnlyThoseOutsideAConversionReported) {
    for (const PictureFormat& format : {kUyvy, kYuy2, kRgb24}) {
        for (DWORD processors : {1u, 2u}) {
            SetProcessorCountForTesting(processors);
            const std::size_t pictureBytes = RowBytes(format, kWidth) * kHeight;
            Bytes picture = RandomUyvy(2 * kWidth, kHeight, processors);  // random bytes
            picture.resize(pictureBytes);
            const Bytes whole = Compress(format, kWidth, kHeight, picture);
            DebugLines debug;
            // Only the first half of the picture can be read.
            GuardedPages source(pictureBytes);
            std::copy(picture.begin(), picture.end(), source.data());
            const std::size_t unreadablePages = pictureBytes / 2 / GuardedPages::PageSize();
            source.ProtectLastPages(unreadablePages);
            const BITMAPINFOHEADER input = UncompressedHeader(format, kWidth, kHeight);
            ASSERT_EQ(CompressBegin(input), ICERR_OK);
            Bytes frame(kFrameBytes, 0xEE);
            BITMAPINFOHEADER inputFormat = input;
            BITMAPINFOHEADER output = QlnuHeader(kWidth, kHeight);
            ICCOMPRESS request{.lpbiOutput = &output,
                               .lpOutput = frame.data(),
                               .lpbiInput = &inputFormat,
                               .lpInput = source.data()};
            EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request)), ICERR_OK);
            ExpectTheReadableRowsOnly(frame, whole, format,
                                      pictureBytes - unreadablePages * GuardedPages::PageSize());
            EXPECT_TRUE(debug.Lines().empty()) << format.name;
        }
    }
    DebugLines debug;
    GuardedPages formats(GuardedPages::PageSize());
    formats.ProtectLastPages(1);
    auto* unreadable = reinterpret_cast<BITMAPINFOHEADER*>(formats.data());
    ICCOMPRESS compress{.lpbiOutput = unreadable, .lpbiInput = unreadable};
    EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&compress)), ICERR_OK);
    ASSERT_EQ(DecompressBegin(UncompressedHeader(kUyvy, 16, 16), 16, 16), ICERR_OK);
    ICDECOMPRESS decompress{.lpbiInput = unreadable, .lpbiOutput = unreadable};
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&decompress)), ICERR_OK);
    EXPECT_EQ(debug.Lines(),
              (std::vector<std::string>{"Exception in compress QLNU processing...\n",
                                        "QLNU Decompress: Exception while during decompress\n"}));
}

}  // namespace
