// The driver under load, as busy hosts use it: four instances on four threads at once, and long
// runs of begins, ends, opens and closes. No lock exists in the driver, so instances must share
// nothing writable; every cycle must give back each block and handle it took.
#include <array>
#include <thread>
#include <vector>

#include "common/driver_heap.h"
#include "common/fourcc.h"
#include "platform/processors.h"
#include "support/attached_driver.h"

namespace {

BITMAPINFOHEADER Header(DWORD compression, WORD bitCount) {
    const DWORD bytes = compression == kFourCCQlnu ? 2 * 32 * 32 + 20 : 32 * 32 * bitCount / 8;
    return {sizeof(BITMAPINFOHEADER), 32, 32, 1, bitCount, compression, bytes};
}

LPARAM P(const void* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}

class LoadTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        SetProcessorCountForTesting(2);  // every session with its field worker
        blocks_ = PosixHeapLiveBlockCount(ghDriverHeap);
        handles_ = PosixOpenHandleCount();
    }
    void TearDown() override {
        EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), blocks_);
        EXPECT_EQ(PosixOpenHandleCount(), handles_);
        SetProcessorCountForTesting(0);
        AttachedDriverTest::TearDown();
    }

    // One host thread: compresses the same picture again and again and decodes every frame;
    // answers whether each frame and each decoded picture equalled the first ones.
    static bool RunStream(BITMAPINFOHEADER picture, BITMAPINFOHEADER decoded, int frames) {
        const DWORD_PTR id = Open();
        BITMAPINFOHEADER compressed = Header(kFourCCQlnu, 24);
        std::vector<BYTE> source(picture.biSizeImage), frame(compressed.biSizeImage);
        std::vector<BYTE> output(decoded.biSizeImage), firstFrame, firstOutput;
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<BYTE>(i * 37 + picture.biCompression);
        }
        bool same = Send(id, ICM_COMPRESS_BEGIN, P(&picture), P(&compressed)) == ICERR_OK &&
                    Send(id, ICM_DECOMPRESS_BEGIN, P(&compressed), P(&decoded)) == ICERR_OK;
        for (int i = 0; i < frames && same; ++i) {
            DWORD chunkId = 0, flags = 0;
            ICCOMPRESS compress{0,        &compressed, frame.data(), &picture, source.data(),
                                &chunkId, &flags};
            Send(id, ICM_COMPRESS, P(&compress), sizeof compress);
            ICDECOMPRESS decompress{0, &compressed, frame.data(), &decoded, output.data()};
            Send(id, ICM_DECOMPRESS, P(&decompress), sizeof decompress);
            if (i == 0) {
                firstFrame = frame;
                firstOutput = output;
            }
            same = frame == firstFrame && output == firstOutput;
        }
        Close(id);  // without ending the sessions, as hosts do
        return same;
    }

    SIZE_T blocks_ = 0;
    SIZE_T handles_ = 0;
};

TEST_F(LoadTest, FourInstancesOnFourThreadsEachKeepTheirOwnFrames) {
    const std::array<std::array<BITMAPINFOHEADER, 2>, 4> streams = {{
        {Header(kFourCCUyvy, 16), Header(BI_RGB, 24)},
        {Header(kFourCCYuy2, 16), Header(kFourCCYvyu, 16)},
        {Header(BI_RGB, 24), Header(kFourCCUyvy, 16)},
        {Header(BI_RGB, 32), Header(kFourCCY16, 16)},
    }};
    std::array<bool, 4> same{};
    std::vector<std::thread> hosts;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        hosts.emplace_back([&, i] { same[i] = RunStream(streams[i][0], streams[i][1], 2000); });
    }
    for (std::thread& host : hosts) {
        host.join();
    }
    EXPECT_EQ(same, (std::array<bool, 4>{true, true, true, true}));
}

TEST_F(LoadTest, BeginEndAndOpenCloseCyclesGiveBackEverything) {
    BITMAPINFOHEADER picture = Header(BI_RGB, 24);
    BITMAPINFOHEADER compressed = Header(kFourCCQlnu, 24);
    BITMAPINFOHEADER decoded = Header(kFourCCUyvy, 16);
    const DWORD_PTR id = Open();
    for (int cycle = 0; cycle < 5000; ++cycle) {
        ASSERT_EQ(Send(id, ICM_COMPRESS_BEGIN, P(&picture), P(&compressed)), ICERR_OK);
        ASSERT_EQ(Send(id, ICM_DECOMPRESS_BEGIN, P(&compressed), P(&decoded)), ICERR_OK);
        Send(id, ICM_COMPRESS_END);
        Send(id, ICM_DECOMPRESS_END);
    }
    Close(id);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        const DWORD_PTR open = Open();
        Send(open, ICM_COMPRESS_BEGIN, P(&picture), P(&compressed));
        Close(open);
    }
}

}  // namespace
