// The driver under load, as busy hosts use it: four instances on four threads at once, and long
// runs of begins, ends, opens and closes. No lock exists in the driver, so instances must share
// nothing writable; every message must answer as it does alone, and every cycle must give back
// each block and handle it took.
#include <array>
#include <cstring>
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

    struct Stream {
        BITMAPINFOHEADER picture;
        BITMAPINFOHEADER decoded;
    };
    struct Coded {
        std::vector<BYTE> frame;
        std::vector<BYTE> output;
        DWORD chunkId;
        DWORD flags;
        bool operator==(const Coded&) const = default;
    };

    // One host: opens an instance and codes the stream's picture `frames` times, compressing it
    // and decoding the frame, each into a buffer filled anew with a byte that changes from frame
    // to frame, so that a byte left unwritten shows. Gives each frame's result to `take`;
    // answers false, and stops, at the first message that does not answer as it should.
    template <typename Take>
    static bool Code(Stream stream, int frames, Take take) {
        const DWORD_PTR id = Open();
        BITMAPINFOHEADER compressed = Header(kFourCCQlnu, 24);
        std::vector<BYTE> source(stream.picture.biSizeImage);
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<BYTE>(i * 37 + stream.picture.biCompression);
        }
        bool answered =
            id != 0 &&
            Send(id, ICM_COMPRESS_BEGIN, P(&stream.picture), P(&compressed)) == ICERR_OK &&
            Send(id, ICM_DECOMPRESS_BEGIN, P(&compressed), P(&stream.decoded)) == ICERR_OK;
        for (int i = 0; i < frames && answered; ++i) {
            const auto fill = static_cast<BYTE>(i * 7 + stream.picture.biBitCount);
            Coded coded{std::vector<BYTE>(compressed.biSizeImage, fill),
                        std::vector<BYTE>(stream.decoded.biSizeImage, fill), 0, 0};
            ICCOMPRESS compress{0,
                                &compressed,
                                coded.frame.data(),
                                &stream.picture,
                                source.data(),
                                &coded.chunkId,
                                &coded.flags};
            ICDECOMPRESS decompress{0, &compressed, coded.frame.data(), &stream.decoded,
                                    coded.output.data()};
            answered = Send(id, ICM_COMPRESS, P(&compress), sizeof compress) == ICERR_OK &&
                       Send(id, ICM_DECOMPRESS, P(&decompress), sizeof decompress) == ICERR_OK;
            take(coded);
        }
        return Send(id, DRV_CLOSE) == 1 && answered;  // without ending the sessions, as hosts do
    }

    SIZE_T blocks_ = 0;
    SIZE_T handles_ = 0;
};

// Each stream's every frame must equal what one thread alone, without the worker, made of it.
TEST_F(LoadTest, FourInstancesOnFourThreadsEachKeepTheirOwnFrames) {
    const std::array<Stream, 4> streams = {{
        {Header(kFourCCUyvy, 16), Header(BI_RGB, 24)},
        {Header(kFourCCYuy2, 16), Header(kFourCCYvyu, 16)},
        {Header(BI_RGB, 24), Header(kFourCCUyvy, 16)},
        {Header(BI_RGB, 32), Header(kFourCCY16, 16)},
    }};
    std::array<Coded, 4> references;
    SetProcessorCountForTesting(1);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        ASSERT_TRUE(Code(streams[i], 1, [&](const Coded& coded) { references[i] = coded; }));
        EXPECT_EQ(std::memcmp(references[i].frame.data(), "QLN1", 4), 0);
    }
    SetProcessorCountForTesting(2);
    std::array<bool, 4> answered{};
    std::array<int, 4> differing{};
    std::vector<std::thread> hosts;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        hosts.emplace_back([&, i] {
            answered[i] = Code(streams[i], 2000,
                               [&](const Coded& coded) { differing[i] += coded != references[i]; });
        });
    }
    for (std::thread& host : hosts) {
        host.join();
    }
    EXPECT_EQ(answered, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(differing, (std::array<int, 4>{}));
}

TEST_F(LoadTest, BeginEndAndOpenCloseCyclesGiveBackEverything) {
    BITMAPINFOHEADER picture = Header(BI_RGB, 24);
    BITMAPINFOHEADER compressed = Header(kFourCCQlnu, 24);
    BITMAPINFOHEADER decoded = Header(kFourCCUyvy, 16);
    const DWORD_PTR id = Open();
    ASSERT_NE(id, 0u);
    for (int cycle = 0; cycle < 5000; ++cycle) {
        ASSERT_EQ(Send(id, ICM_COMPRESS_BEGIN, P(&picture), P(&compressed)), ICERR_OK);
        ASSERT_EQ(Send(id, ICM_DECOMPRESS_BEGIN, P(&compressed), P(&decoded)), ICERR_OK);
        ASSERT_EQ(Send(id, ICM_COMPRESS_END), ICERR_OK);
        ASSERT_EQ(Send(id, ICM_DECOMPRESS_END), ICERR_OK);
    }
    ASSERT_EQ(Send(id, DRV_CLOSE), 1);
    for (int cycle = 0; cycle < 1000; ++cycle) {
        const DWORD_PTR open = Open();
        ASSERT_NE(open, 0u);
        ASSERT_EQ(Send(open, ICM_COMPRESS_BEGIN, P(&picture), P(&compressed)), ICERR_OK);
        ASSERT_EQ(Send(open, DRV_CLOSE), 1);
    }
}

}  // namespace
