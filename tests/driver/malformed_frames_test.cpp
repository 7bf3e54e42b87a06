// Frame messages whose headers disagree with each other or with their own layout, sent to a
// running session as a careless or hostile host might. Each is refused before a byte is read
// or written: the host's output stays as it was and the request is given back unchanged, but
// for a compressed frame's size, which the input's picture sets first.
// Pictures and outputs end at an unreadable page, so a read or write past them faults.
#include <algorithm>
#include <cstring>

#include "codec/debug_lines.h"
#include "codec/session_test.h"
#include "formats/format_builder.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kUntouched = 0xEE;

BITMAPINFOHEADER Header(DWORD compression, WORD bitCount, LONG width, LONG height) {
    BITMAPINFOHEADER format = MakeFormat(compression, bitCount, width, height);
    format.biSizeImage = static_cast<DWORD>(width * std::abs(height) * bitCount / 8);
    return format;
}

// A host buffer of exactly the bytes its header claims, filled with kUntouched.
class HostBuffer {
public:
    explicit HostBuffer(const BITMAPINFOHEADER& format)
        : pages_(std::max<std::size_t>(format.biSizeImage, 1)) {
        std::memset(pages_.data(), kUntouched, pages_.size());
    }
    BYTE* data() const { return pages_.data(); }
    bool Untouched() const {
        return std::all_of(data(), data() + pages_.size(), [](BYTE b) { return b == kUntouched; });
    }

private:
    GuardedPages pages_;
};

const BITMAPINFOHEADER kRgb24 = Header(BI_RGB, 24, 32, 32);
const BITMAPINFOHEADER kUyvy32 = Header(kFourCCUyvy, 16, 32, 32);

struct MalformedFrame {
    const char* name;
    bool compression;
    bool swapFields;
    BITMAPINFOHEADER begun;  // the uncompressed format the session began with
    BITMAPINFOHEADER given;  // the uncompressed format of the frame message
    LONG compressedWidth;    // the QLNU format of the frame message
    LONG compressedHeight;
};

const MalformedFrame kCases[] = {
    {"SwappedRgbAt16Bits", false, true, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SwappedY16At12Bits", false, true, kUyvy32, Header(kFourCCY16, 12, 32, 32), 32, 32},
    {"SwappedBitCountBelow8", false, true, kUyvy32, Header(kFourCCUyvy, 4, 32, 32), 32, 32},
    {"RgbAt16Bits", false, false, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"OutputWiderThanFrame", false, false, kUyvy32, Header(kFourCCUyvy, 16, 64, 32), 32, 32},
    {"FrameTallerThanOutput", false, false, kUyvy32, kUyvy32, 32, 64},
    {"RgbAt16Bits", true, false, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SwappedRgbAt16Bits", true, true, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SameAreaOtherShape", true, false, kRgb24, Header(BI_RGB, 24, 1024, 1), 32, 32},
    {"TopDownInputOfOtherHeight", true, false, kRgb24, Header(BI_RGB, 24, 32, -16), 32, 32},
    {"PackedInputWiderThanOutput", true, false, kUyvy32, Header(kFourCCUyvy, 16, 64, 32), 32, 32},
};

class MalformedFrameTest : public SessionTest {
protected:
    LRESULT Begin(UINT message, BITMAPINFOHEADER first, BITMAPINFOHEADER second) {
        return Send(id_, message, reinterpret_cast<LPARAM>(&first),
                    reinterpret_cast<LPARAM>(&second));
    }

    // The request must come back with the host's own buffers, and the output untouched.
    void DecompressMalformed(const MalformedFrame& c, BITMAPINFOHEADER input) {
        ASSERT_EQ(Begin(ICM_DECOMPRESS_BEGIN, Header(kFourCCQlnu, 24, 32, 32), c.begun), ICERR_OK);
        BITMAPINFOHEADER output = c.given;
        HostBuffer frame(input);
        HostBuffer picture(output);
        ICDECOMPRESS request{.lpbiInput = &input,
                             .lpInput = frame.data(),
                             .lpbiOutput = &output,
                             .lpOutput = picture.data()};
        EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request)), ICERR_OK);
        EXPECT_TRUE(picture.Untouched());
        EXPECT_EQ(request.lpOutput, picture.data());
    }

    void CompressMalformed(const MalformedFrame& c, BITMAPINFOHEADER output) {
        ASSERT_EQ(Begin(ICM_COMPRESS_BEGIN, c.begun, Header(kFourCCQlnu, 24, 32, 32)), ICERR_OK);
        BITMAPINFOHEADER input = c.given;
        HostBuffer picture(input);
        HostBuffer frame(output);
        DWORD chunkId = 0;
        DWORD flags = 0;
        ICCOMPRESS request{.lpbiOutput = &output,
                           .lpOutput = frame.data(),
                           .lpbiInput = &input,
                           .lpInput = picture.data(),
                           .lpckid = &chunkId,
                           .lpdwFlags = &flags};
        EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request)), ICERR_OK);
        EXPECT_TRUE(frame.Untouched());
        EXPECT_EQ(output.biSizeImage,
                  static_cast<DWORD>(2 * input.biWidth * std::abs(input.biHeight) + 20));
        EXPECT_EQ(chunkId, 0u);
        EXPECT_EQ(flags, 0u);
        EXPECT_EQ(request.lpInput, picture.data());
    }
};

TEST_F(MalformedFrameTest, IsRefusedWithoutTouchingTheOutput) {
    for (const MalformedFrame& c : kCases) {
        SCOPED_TRACE(std::string(c.compression ? "compression " : "decompression ") + c.name);
        DebugLines debug;
        SetChangeFieldsOrder(c.swapFields);
        BITMAPINFOHEADER compressed =
            Header(kFourCCQlnu, 24, c.compressedWidth, c.compressedHeight);
        compressed.biSizeImage = 2 * compressed.biWidth * compressed.biHeight + 20;
        if (c.compression) {
            CompressMalformed(c, compressed);
        } else {
            DecompressMalformed(c, compressed);
        }
        EXPECT_TRUE(debug.Lines().empty());
    }
}

// A compression request without one of its headers is refused as quietly.
TEST_F(MalformedFrameTest, CompressionWithoutAHeaderIsRefusedQuietly) {
    ASSERT_EQ(Begin(ICM_COMPRESS_BEGIN, kUyvy32, Header(kFourCCQlnu, 24, 32, 32)), ICERR_OK);
    DebugLines debug;
    BITMAPINFOHEADER format = Header(kFourCCQlnu, 24, 32, 32);
    for (const bool inputMissing : {true, false}) {
        ICCOMPRESS request{.lpbiOutput = inputMissing ? &format : nullptr,
                           .lpbiInput = inputMissing ? nullptr : &format};
        EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request)), ICERR_OK);
    }
    EXPECT_TRUE(debug.Lines().empty());
}

// A frame that cannot be read faults inside the swapped decompression, after the session has
// put its scratch block in the request; the host still gets its own output pointer back.
TEST_F(MalformedFrameTest, FaultInsideTheSwapGivesTheHostItsOutputBack) {
    SetChangeFieldsOrder(true);
    BITMAPINFOHEADER input = Header(kFourCCQlnu, 24, 32, 32);
    input.biSizeImage = 2 * 32 * 32 + 20;
    BITMAPINFOHEADER output = kUyvy32;
    ASSERT_EQ(Begin(ICM_DECOMPRESS_BEGIN, input, output), ICERR_OK);
    GuardedPages frame(GuardedPages::PageSize());
    frame.ProtectLastPages(1);
    HostBuffer picture(output);
    ICDECOMPRESS request{.lpbiInput = &input,
                         .lpInput = frame.data(),
                         .lpbiOutput = &output,
                         .lpOutput = picture.data()};
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request)), ICERR_OK);
    EXPECT_EQ(request.lpOutput, picture.data());
}

}  // namespace
