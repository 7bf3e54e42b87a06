// Sessions with and without their field worker: the same bytes either way, and workers that
// end when their session begins again or goes.
#include <set>

#include "codec/field_compressor.h"
#include "codec/field_decompressor.h"
#include "kernel_threads.h"
#include "session_test.h"

namespace {

constexpr LONG kWidth = 720;
constexpr LONG kHeight = 576;

Bytes SourceOf(const PictureFormat& format, LONG height) {
    return IsRgb(format) ? RandomRgbBlocks(kWidth, height, format.bitCount / 8, 41)
                         : UyvyToLayout(RandomUyvy(kWidth, height, 42), kWidth, height,
                                        format.compression, 0x33);
}

class SessionThreadsTest : public SessionTest {};

TEST_F(SessionThreadsTest, OneProcessorAndTwoGiveTheSameBytes) {
    SetProcessorCountForTesting(2);
    const Bytes uyvyFrame = Compress(kUyvy, kWidth, kHeight, SourceOf(kUyvy, kHeight));
    for (const PictureFormat& format : kInputFormats) {
        const Bytes source = SourceOf(format, kHeight);
        SetProcessorCountForTesting(1);
        const Bytes single = Compress(format, kWidth, kHeight, source);
        SetProcessorCountForTesting(2);
        EXPECT_EQ(Compress(format, kWidth, kHeight, source), single) << format.name;
    }
    for (const PictureFormat& format : kOutputFormats) {
        SetProcessorCountForTesting(1);
        const Bytes single = Decompress(uyvyFrame, format, kWidth, kHeight);
        SetProcessorCountForTesting(2);
        EXPECT_EQ(Decompress(uyvyFrame, format, kWidth, kHeight), single) << format.name;
    }
}

TEST_F(SessionThreadsTest, SessionsStartAWorkerOnlyWithTwoProcessors) {
    for (DWORD processors : {1u, 2u}) {
        SetProcessorCountForTesting(processors);
        ASSERT_EQ(CompressBegin(UncompressedHeader(kUyvy, 16, 16)), ICERR_OK);
        ASSERT_EQ(DecompressBegin(UncompressedHeader(kUyvy, 16, 16), 16, 16), ICERR_OK);
        auto* compressor = static_cast<FieldCompressor*>(Instance()->ActiveCompressor);
        auto* decompressor = static_cast<FieldDecompressor*>(Instance()->ActiveDecompressor);
        EXPECT_EQ(compressor->Worker().IsRunning(), processors == 2);
        EXPECT_EQ(decompressor->Worker().IsRunning(), processors == 2);
    }
}

// Begin stops the running worker (it ends with exit code 3) before it starts the next one.
TEST_F(SessionThreadsTest, BeginningTwiceEndsTheFirstWorker) {
    SetProcessorCountForTesting(2);
    auto* compressor = new FieldCompressor;
    auto* decompressor = new FieldDecompressor;
    ASSERT_TRUE(compressor->Begin(nullptr, &Instance()->State));
    ASSERT_TRUE(decompressor->Begin(nullptr, &Instance()->State));
    EXPECT_EQ(compressor->Worker().LastExitCode(), 0u);
    ASSERT_TRUE(compressor->Begin(nullptr, &Instance()->State));
    ASSERT_TRUE(decompressor->Begin(nullptr, &Instance()->State));
    EXPECT_EQ(compressor->Worker().LastExitCode(), 3u);
    EXPECT_EQ(decompressor->Worker().LastExitCode(), 3u);
    EXPECT_TRUE(compressor->Worker().IsRunning());
    EXPECT_TRUE(decompressor->Worker().IsRunning());
    delete compressor;
    delete decompressor;
}

// The worker threads of the instance's sessions, as the kernel sees them.
class WorkerThreadsTest : public SessionThreadsTest {
protected:
    // A sanitizer's runtime may start a thread of its own along with the first thread of the
    // process; a session begun and ended first keeps it out of the counts.
    void SetUp() override {
        SessionThreadsTest::SetUp();
        SetProcessorCountForTesting(2);
        ASSERT_EQ(CompressBegin(UncompressedHeader(kUyvy, 16, 16)), ICERR_OK);
        ASSERT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
    }

    template <typename Begin>
    std::set<long> ThreadsStartedBy(Begin begin) {
        const std::set<long> before = KernelThreadIds();
        begin();
        return NewThreads(before, KernelThreadIds());
    }

    static bool AllEnded(const std::set<long>& threads) {
        for (long id : threads) {
            if (!WaitForKernelThreadToEnd(id)) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(WorkerThreadsTest, SecondBeginMessageEndsTheFirstSessionsWorker) {
    SetProcessorCountForTesting(2);
    const BITMAPINFOHEADER input = UncompressedHeader(kUyvy, 16, 16);
    const std::set<long> first =
        ThreadsStartedBy([&] { ASSERT_EQ(CompressBegin(input), ICERR_OK); });
    ASSERT_EQ(first.size(), 1u);
    const std::set<long> second =
        ThreadsStartedBy([&] { ASSERT_EQ(CompressBegin(input), ICERR_OK); });
    EXPECT_TRUE(AllEnded(first));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_TRUE(KernelThreadExists(*second.begin()));
}

TEST_F(WorkerThreadsTest, EndingOrClosingEndsAWaitingWorker) {
    SetProcessorCountForTesting(2);
    const BITMAPINFOHEADER picture = UncompressedHeader(kUyvy, 16, 16);
    const std::set<long> compression =
        ThreadsStartedBy([&] { ASSERT_EQ(CompressBegin(picture), ICERR_OK); });
    const std::set<long> decompression =
        ThreadsStartedBy([&] { ASSERT_EQ(DecompressBegin(picture, 16, 16), ICERR_OK); });
    ASSERT_EQ(compression.size(), 1u);
    ASSERT_EQ(decompression.size(), 1u);
    EXPECT_EQ(Send(id_, ICM_COMPRESS_END), ICERR_OK);
    EXPECT_TRUE(AllEnded(compression));
    Close(id_);
    id_ = Open();
    EXPECT_TRUE(AllEnded(decompression));
}

}  // namespace
