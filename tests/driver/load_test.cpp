// The driver under load, as busy hosts use it: several instances on several threads at once, and
// long runs of begins, ends, opens and closes. No lock exists in the driver, so instances must
// share nothing writable; every cycle must give back all it took from the driver's heap.
#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

#include "common/driver_heap.h"
#include "common/fourcc.h"
#include "platform/processors.h"
#include "support/attached_driver.h"

namespace {

constexpr LONG kWidth = 32;
constexpr LONG kHeight = 32;

BITMAPINFOHEADER Header(DWORD compression, WORD bitCount) {
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = kWidth;
    format.biHeight = kHeight;
    format.biPlanes = 1;
    format.biBitCount = bitCount;
    format.biCompression = compression;
    format.biSizeImage = kWidth * kHeight * bitCount / 8;
    return format;
}

BITMAPINFOHEADER CompressedHeader() {
    BITMAPINFOHEADER format = Header(kFourCCQlnu, 24);
    format.biSizeImage = 2 * kWidth * kHeight + 20;
    return format;
}

class LoadTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        SetProcessorCountForTesting(2);  // every session with its field worker
        liveBlocks_ = PosixHeapLiveBlockCount(ghDriverHeap);
    }
    void TearDown() override {
        EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), liveBlocks_);
        SetProcessorCountForTesting(0);
        AttachedDriverTest::TearDown();
    }

    SIZE_T liveBlocks_ = 0;
};

// One host thread: compresses the same picture again and again and decodes each frame; every
// frame and every decoded picture must equal the first ones.
struct Stream {
    BITMAPINFOHEADER picture;
    BITMAPINFOHEADER decoded;
};

void RunStream(const Stream& stream, int frames, bool* allEqual) {
    const DWORD_PTR id = [] {
        static ICINFO openParameters{};
        return static_cast<DWORD_PTR>(
            DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)));
    }();
    auto send = [id](UINT message, const void* l1 = nullptr, LPARAM l2 = 0) {
        return DriverProc(id, nullptr, message, reinterpret_cast<LPARAM>(l1), l2);
    };
    BITMAPINFOHEADER picture = stream.picture;
    BITMAPINFOHEADER compressed = CompressedHeader();
    BITMAPINFOHEADER decoded = stream.decoded;
    std::vector<BYTE> source(picture.biSizeImage);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<BYTE>(i * 37 + picture.biCompression);
    }
    std::vector<BYTE> frame(compressed.biSizeImage), firstFrame;
    std::vector<BYTE> output(decoded.biSizeImage), firstOutput;
    *allEqual =
        send(ICM_COMPRESS_BEGIN, &picture, reinterpret_cast<LPARAM>(&compressed)) == ICERR_OK &&
        send(ICM_DECOMPRESS_BEGIN, &compressed, reinterpret_cast<LPARAM>(&decoded)) == ICERR_OK;
    for (int i = 0; i < frames && *allEqual; ++i) {
        DWORD chunkId = 0, flags = 0;
        ICCOMPRESS compress{0,        &compressed, frame.data(), &picture, source.data(),
                            &chunkId, &flags};
        send(ICM_COMPRESS, &compress, sizeof compress);
        ICDECOMPRESS decompress{0, &compressed, frame.data(), &decoded, output.data()};
        send(ICM_DECOMPRESS, &decompress, sizeof decompress);
        if (i == 0) {
            firstFrame = frame;
            firstOutput = output;
        }
        *allEqual = frame == firstFrame && output == firstOutput;
    }
    send(ICM_COMPRESS_END);
    send(ICM_DECOMPRESS_END);
    DriverProc(id, nullptr, DRV_CLOSE, 0, 0);
}

TEST_F(LoadTest, FourInstancesOnFourThreadsEachKeepTheirOwnFrames) {
    const std::array<Stream, 4> streams = {{
        {Header(kFourCCUyvy, 16), Header(BI_RGB, 24)},
        {Header(kFourCCYuy2, 16), Header(kFourCCYvyu, 16)},
        {Header(BI_RGB, 24), Header(kFourCCUyvy, 16)},
        {Header(BI_RGB, 32), Header(kFourCCY16, 16)},
    }};
    std::array<bool, 4> allEqual{};
    std::vector<std::thread> hosts;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        hosts.emplace_back(RunStream, streams[i], 2000, &allEqual[i]);
    }
    for (std::thread& host : hosts) {
        host.join();
    }
    EXPECT_EQ(allEqual, (std::array<bool, 4>{true, true, true, true}));
}

TEST_F(LoadTest, BeginEndAndOpenCloseCyclesGiveBackEveryBlock) {
    BITMAPINFOHEADER picture = Header(BI_RGB, 24);
    BITMAPINFOHEADER compressed = CompressedHeader();
    BITMAPINFOHEADER decoded = Header(kFourCCUyvy, 16);
    const DWORD_PTR id = Open();
    for (int cycle = 0; cycle < 5000; ++cycle) {
        ASSERT_EQ(Send(id, ICM_COMPRESS_BEGIN, reinterpret_cast<LPARAM>(&picture),
                       reinterpret_cast<LPARAM>(&compressed)),
                  ICERR_OK);
        ASSERT_EQ(Send(id, ICM_DECOMPRESS_BEGIN, reinterpret_cast<LPARAM>(&compressed),
                       reinterpret_cast<LPARAM>(&decoded)),
                  ICERR_OK);
        Send(id, ICM_COMPRESS_END);
        Send(id, ICM_DECOMPRESS_END);
    }
    Close(id);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        const DWORD_PTR open = Open();
        // Hosts do not always end their sessions before they close.
        Send(open, ICM_COMPRESS_BEGIN, reinterpret_cast<LPARAM>(&picture),
             reinterpret_cast<LPARAM>(&compressed));
        Close(open);
    }
}

}  // namespace
