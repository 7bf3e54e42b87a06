#include "session_test.h"

#include <algorithm>
#include <cstdlib>

#include "support/guarded_pages.h"

void SessionTest::SetUp() {
    AttachedDriverTest::SetUp();
    id_ = Open();
    ASSERT_NE(id_, 0u);
}

void SessionTest::TearDown() {
    Close(id_);
    SetProcessorCountForTesting(0);
    AttachedDriverTest::TearDown();
}

void SessionTest::SetChangeFieldsOrder(bool swap) {
    CodecState state{};
    ASSERT_EQ(Send(id_, ICM_GETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state), 12);
    state.ChangeFieldsOrder = swap ? 1 : 0;
    ASSERT_EQ(Send(id_, ICM_SETSTATE, reinterpret_cast<LPARAM>(&state), sizeof state), 12);
}

LRESULT SessionTest::CompressBegin(const BITMAPINFOHEADER& input) {
    BITMAPINFOHEADER output = QlnuHeader(input.biWidth, input.biHeight);
    return Send(id_, ICM_COMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input),
                reinterpret_cast<LPARAM>(&output));
}

LRESULT SessionTest::DecompressBegin(const BITMAPINFOHEADER& output, LONG width, LONG height) {
    BITMAPINFOHEADER input = QlnuHeader(width, height);
    BITMAPINFOHEADER proposed = output;
    return Send(id_, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&input),
                reinterpret_cast<LPARAM>(&proposed));
}

SessionTest::CompressCall SessionTest::CompressFrame(const BITMAPINFOHEADER& input,
                                                     const Bytes& picture, LONG outputWidth,
                                                     LONG outputHeight, std::size_t outputBytes,
                                                     DWORD hostFlags) {
    CompressCall call{};
    call.frame.assign(outputBytes, 0xEE);
    call.outputFormat = QlnuHeader(outputWidth, outputHeight);
    call.outputFormat.biSizeImage = 0;
    call.chunkId = 0xEEEEEEEE;
    call.flags = hostFlags;
    BITMAPINFOHEADER inputFormat = input;
    ICCOMPRESS request{.lpbiOutput = &call.outputFormat,
                       .lpOutput = call.frame.data(),
                       .lpbiInput = &inputFormat,
                       .lpInput = const_cast<BYTE*>(picture.data()),
                       .lpckid = &call.chunkId,
                       .lpdwFlags = &call.flags};
    call.answer = Send(id_, ICM_COMPRESS, reinterpret_cast<LPARAM>(&request));
    return call;
}

Bytes SessionTest::Compress(const PictureFormat& format, LONG width, LONG height,
                            const Bytes& picture) {
    const BITMAPINFOHEADER input = UncompressedHeader(format, width, height);
    EXPECT_EQ(CompressBegin(input), ICERR_OK);
    const std::size_t frameBytes = static_cast<std::size_t>(2 * width * std::abs(height) + 20);
    CompressCall call = CompressFrame(input, picture, width, height, frameBytes);
    EXPECT_EQ(call.answer, ICERR_OK);
    EXPECT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
    return call.frame;
}

LRESULT SessionTest::DecompressFrame(const Bytes& frame, DWORD frameBytes,
                                     const BITMAPINFOHEADER& output, Bytes& picture, DWORD flags) {
    BITMAPINFOHEADER input = QlnuHeader(output.biWidth, output.biHeight);
    input.biSizeImage = frameBytes;
    BITMAPINFOHEADER outputFormat = output;
    GuardedPages guarded(frame.size());
    std::copy(frame.begin(), frame.end(), guarded.data());
    ICDECOMPRESS request{.dwFlags = flags,
                         .lpbiInput = &input,
                         .lpInput = guarded.data(),
                         .lpbiOutput = &outputFormat,
                         .lpOutput = picture.data()};
    return Send(id_, ICM_DECOMPRESS, reinterpret_cast<LPARAM>(&request));
}

Bytes SessionTest::Decompress(const Bytes& frame, const PictureFormat& format, LONG width,
                              LONG height) {
    const BITMAPINFOHEADER output = UncompressedHeader(format, width, height);
    EXPECT_EQ(DecompressBegin(output, width, height), ICERR_OK);
    Bytes picture(output.biSizeImage, 0xCD);
    EXPECT_EQ(DecompressFrame(frame, static_cast<DWORD>(frame.size()), output, picture), ICERR_OK);
    EXPECT_EQ(Send(id_, ICM_DECOMPRESS_END), ICERR_OK);
    return picture;
}
