// Frame messages whose headers disagree with each other or with their own layout, sent to a
// running session as a careless or hostile host might. Each is refused before a byte is read
// or written: the host's output stays as it was and the request is given back unchanged.
// Pictures and outputs end at an unreadable page, so a read or write past them faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/codec_state.h"
#include "common/fourcc.h"
#include "support/attached_driver.h"
#include "support/guarded_pages.h"

namespace {

constexpr BYTE kUntouched = 0xEE;

// Debugger lines written while a test runs: a refused frame faults nowhere, so it writes none.
int gDebugLines = 0;
void CountDebugLine(LPCSTR) {
    ++gDebugLines;
}

BITMAPINFOHEADER Header(DWORD compression, WORD bitCount, LONG width, LONG height) {
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = width;
    format.biHeight = height;
    format.biPlanes = 1;
    format.biBitCount = bitCount;
    format.biCompression = compression;
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

struct MalformedFrame {
    const char* name;
    bool swapFields;
    BITMAPINFOHEADER begun;  // the uncompressed format the session began with
    BITMAPINFOHEADER given;  // the uncompressed format of the frame message
    LONG compressedWidth;    // the QLNU format of the frame message
    LONG compressedHeight;
};

void PrintTo(const MalformedFrame& c, std::ostream* out) {
    *out << c.name;
}

const BITMAPINFOHEADER kRgb24 = Header(BI_RGB, 24, 32, 32);
const BITMAPINFOHEADER kUyvy = Header(kFourCCUyvy, 16, 32, 32);

const MalformedFrame kDecompressionCases[] = {
    {"SwappedRgbAt16Bits", true, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SwappedY16At12Bits", true, kUyvy, Header(kFourCCY16, 12, 32, 32), 32, 32},
    {"SwappedBitCountBelow8", true, kUyvy, Header(kFourCCUyvy, 4, 32, 32), 32, 32},
    {"RgbAt16Bits", false, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"OutputWiderThanFrame", false, kUyvy, Header(kFourCCUyvy, 16, 64, 32), 32, 32},
    {"FrameTallerThanOutput", false, kUyvy, kUyvy, 32, 64},
};

const MalformedFrame kCompressionCases[] = {
    {"RgbAt16Bits", false, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SwappedRgbAt16Bits", true, kRgb24, Header(BI_RGB, 16, 32, 32), 32, 32},
    {"SameAreaOtherShape", false, kRgb24, Header(BI_RGB, 24, 1024, 1), 32, 32},
    {"TopDownInputOfOtherHeight", false, kRgb24, Header(BI_RGB, 24, 32, -16), 32, 32},
    {"PackedInputWiderThanOutput", false, kUyvy, Header(kFourCCUyvy, 16, 64, 32), 32, 32},
};

class MalformedFrameTest : public AttachedDriverTest,
                           public ::testing::WithParamInterface<MalformedFrame> {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        id_ = Open();
        CodecState state{};
        Send(id_, ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state);
        state.ChangeFieldsOrder = GetParam().swapFields ? 1 : 0;
        ASSERT_EQ(Send(id_, ICM_SETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state), 12);
        gDebugLines = 0;
        SetDebugOutputHook(&CountDebugLine);
    }
    void TearDown() override {
        SetDebugOutputHook(nullptr);
        EXPECT_EQ(gDebugLines, 0);
        Close(id_);
        AttachedDriverTest::TearDown();
    }

    LRESULT Begin(UINT message, BITMAPINFOHEADER first, BITMAPINFOHEADER second) {
        return Send(id_, message, reinterpret_cast<LPARAM>(&first),
                    reinterpret_cast<LPARAM>(&second));
    }

    BITMAPINFOHEADER Compressed() const {
        BITMAPINFOHEADER format =
            Header(kFourCCQlnu, 24, GetParam().compressedWidth, GetParam().compressedHeight);
        format.biSizeImage = 2 * format.biWidth * format.biHeight + 20;
        return format;
    }

    DWORD_PTR id_ = 0;
};

using MalformedDecompressionTest = MalformedFrameTest;
using MalformedCompressionTest = MalformedFrameTest;

TEST_P(MalformedDecompressionTest, IsRefusedWithoutTouchingTheOutput) {
    const MalformedFrame& c = GetParam();
    ASSERT_EQ(Begin(ICM_DECOMPRESS_BEGIN, Header(kFourCCQlnu, 24, 32, 32), c.begun), ICERR_OK);
    BITMAPINFOHEADER input = Compressed();
    BITMAPINFOHEADER output = c.given;
    HostBuffer frame(input);
    HostBuffer picture(output);
    ICDECOMPRESS request{};
    request.lpbiInput = &input;
    request.lpInput = frame.data();
    request.lpbiOutput = &output;
    request.lpOutput = picture.data();

    EXPECT_EQ(Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_OK);
    EXPECT_TRUE(picture.Untouched());
    EXPECT_EQ(request.lpOutput, picture.data());
}

TEST_P(MalformedCompressionTest, IsRefusedWithoutTouchingTheOutput) {
    const MalformedFrame& c = GetParam();
    ASSERT_EQ(Begin(ICM_COMPRESS_BEGIN, c.begun, Header(kFourCCQlnu, 24, 32, 32)), ICERR_OK);
    BITMAPINFOHEADER input = c.given;
    BITMAPINFOHEADER output = Compressed();
    HostBuffer picture(input);
    HostBuffer frame(output);
    DWORD chunkId = 0;
    DWORD flags = 0;
    ICCOMPRESS request{};
    request.lpbiInput = &input;
    request.lpInput = picture.data();
    request.lpbiOutput = &output;
    request.lpOutput = frame.data();
    request.lpckid = &chunkId;
    request.lpdwFlags = &flags;

    EXPECT_EQ(Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_OK);
    EXPECT_TRUE(frame.Untouched());
    EXPECT_EQ(chunkId, 0u);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(request.lpInput, picture.data());
}

INSTANTIATE_TEST_SUITE_P(Frames, MalformedDecompressionTest,
                         ::testing::ValuesIn(kDecompressionCases),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Frames, MalformedCompressionTest, ::testing::ValuesIn(kCompressionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A frame that cannot be read faults inside the swapped decompression, after the session has
// put its scratch block in the request; the host still gets its own output pointer back.
class SwappedFaultTest : public AttachedDriverTest {};

TEST_F(SwappedFaultTest, FaultInsideTheSwapGivesTheHostItsOutputBack) {
    const DWORD_PTR id = Open();
    CodecState state{};
    Send(id, ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state);
    state.ChangeFieldsOrder = 1;
    ASSERT_EQ(Send(id, ICM_SETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state), 12);
    BITMAPINFOHEADER input = Header(kFourCCQlnu, 24, 32, 32);
    input.biSizeImage = 2 * 32 * 32 + 20;
    BITMAPINFOHEADER output = kUyvy;
    BITMAPINFOHEADER proposed = output;
    ASSERT_EQ(Send(id, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input),
                   reinterpret_cast<LPARAM>(&proposed)),
              ICERR_OK);
    GuardedPages frame(GuardedPages::PageSize());
    frame.ProtectLastPages(1);
    HostBuffer picture(output);
    ICDECOMPRESS request{};
    request.lpbiInput = &input;
    request.lpInput = frame.data();
    request.lpbiOutput = &output;
    request.lpOutput = picture.data();

    EXPECT_EQ(Send(id, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request), sizeof request),
              ICERR_OK);
    EXPECT_EQ(request.lpOutput, picture.data());
    Close(id);
}

}  // namespace
