// The field worker's hand-off, with a scripted job in place of a field conversion, and the
// sessions that run it: one conversion per start signal, a frame wait that never returns
// early, the same bytes with and without a worker, and no handle or block left behind.
#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "codec/field_compressor.h"
#include "codec/field_decompressor.h"
#include "debug_lines.h"
#include "session_test.h"

namespace {

using namespace std::chrono_literals;

// A job whose conversion runs whatever the test put into `work`.
class ScriptedJob final : public FieldJob {
public:
    bool HasWork() const override { return hasWork_; }
    void EndWork() override { hasWork_ = false; }
    void Convert() override {
        ++conversions;
        work();
    }

    std::function<void()> work = [] {};
    std::atomic<int> conversions{0};

private:
    bool hasWork_ = true;
};

class FieldWorkerTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        SetProcessorCountForTesting(2);
        blocks_ = PosixHeapLiveBlockCount(ghDriverHeap);
        handles_ = PosixOpenHandleCount();
    }
    void TearDown() override {
        worker_.Stop();
        EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), blocks_);
        EXPECT_EQ(PosixOpenHandleCount(), handles_);
        SetProcessorCountForTesting(0);
        AttachedDriverTest::TearDown();
    }

    ScriptedJob* Start() {
        ScriptedJob* made = nullptr;
        EXPECT_EQ(worker_.Start([&made] { return made = new ScriptedJob; }), FieldWorker::kStarted);
        return made;
    }
    // One frame's hand-off with the worker's part only.
    void RunFrame() {
        worker_.BeginField();
        worker_.FinishField();
    }

    FieldWorker worker_;
    SIZE_T blocks_ = 0;
    SIZE_T handles_ = 0;
};

TEST_F(FieldWorkerTest, OneProcessorMakesNoThreadEventOrJob) {
    SetProcessorCountForTesting(1);
    bool jobMade = false;
    const int started = worker_.Start([&jobMade] {
        jobMade = true;
        return new ScriptedJob;
    });
    EXPECT_EQ(started, FieldWorker::kNotWanted);
    EXPECT_FALSE(worker_.IsRunning());
    EXPECT_FALSE(jobMade);
    EXPECT_EQ(PosixOpenHandleCount(), handles_);
}

TEST_F(FieldWorkerTest, EachFrameConvertsOnceOnTheWorkerThreadUntilStopped) {
    ScriptedJob* job = Start();
    std::thread::id converter;
    job->work = [&converter] { converter = std::this_thread::get_id(); };
    for (int frame = 1; frame <= 3; ++frame) {
        RunFrame();
        EXPECT_EQ(job->conversions, frame);
    }
    EXPECT_NE(converter, std::this_thread::get_id());
    worker_.Stop();
    EXPECT_FALSE(worker_.IsRunning());
    EXPECT_EQ(worker_.LastExitCode(), FieldWorker::kExitCode);
    job = Start();
    RunFrame();
    EXPECT_EQ(job->conversions, 1);
}

// The frame wait gives up after a second only to look whether the worker still lives: a slow
// conversion is waited for to its end, so the host never gets back a buffer that the worker
// still writes into. The next frame's wait must then answer to that frame's own conversion,
// which holds back for a while to see whether the frame returns without it.
TEST_F(FieldWorkerTest, SlowWorkerIsWaitedForAndItsLateSignalEndsNoOtherFrame) {
    ScriptedJob* job = Start();
    std::atomic<bool> written{false};
    job->work = [&written] {
        std::this_thread::sleep_for(1300ms);
        written = true;
    };
    RunFrame();
    EXPECT_TRUE(written);

    std::atomic<bool> frameReturned{false};
    std::atomic<bool> returnedWhileConverting{false};
    job->work = [&] {
        const auto deadline = std::chrono::steady_clock::now() + 300ms;
        while (!frameReturned && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        returnedWhileConverting = frameReturned.load();
    };
    RunFrame();
    frameReturned = true;
    worker_.Stop();  // lets a conversion that is still running finish before the check
    EXPECT_FALSE(returnedWhileConverting);
}

// A worker whose loop ends by an exception never signals done; the frame sees the thread gone
// and the session goes on without it.
TEST_F(FieldWorkerTest, WorkerEndedByAnExceptionReleasesTheFrame) {
    DebugLines debug;
    Start()->work = [] { throw std::runtime_error("conversion failed"); };
    RunFrame();
    EXPECT_FALSE(worker_.IsRunning());
    EXPECT_EQ(worker_.LastExitCode(), FieldWorker::kExitCode);
    EXPECT_EQ(debug.Lines(), std::vector<std::string>{"QLNU worked thread exception\n"});
    debug.Clear();
    EXPECT_EQ(FieldWorkerProcedure(nullptr), static_cast<DWORD>(-1));
    EXPECT_EQ(debug.Lines(),
              std::vector<std::string>{"QLNU worked procedure NOT CORRECTLY INITIALIZED\n"});
}

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 32;

Bytes SourceOf(const PictureFormat& format) {
    return IsRgb(format) ? RandomRgbBlocks(kWidth, kHeight, format.bitCount / 8, 41)
                         : UyvyToLayout(RandomUyvy(kWidth, kHeight, 42), kWidth, kHeight,
                                        format.compression, 0x33);
}

class SessionThreadsTest : public SessionTest {};

TEST_F(SessionThreadsTest, OneProcessorAndTwoGiveTheSameBytes) {
    const Bytes uyvyFrame = Compress(kUyvy, kWidth, kHeight, SourceOf(kUyvy));
    for (const PictureFormat& format : kInputFormats) {
        SetProcessorCountForTesting(1);
        const Bytes single = Compress(format, kWidth, kHeight, SourceOf(format));
        SetProcessorCountForTesting(2);
        EXPECT_EQ(Compress(format, kWidth, kHeight, SourceOf(format)), single) << format.name;
    }
    for (const PictureFormat& format : kOutputFormats) {
        SetProcessorCountForTesting(1);
        const Bytes single = Decompress(uyvyFrame, format, kWidth, kHeight);
        SetProcessorCountForTesting(2);
        EXPECT_EQ(Decompress(uyvyFrame, format, kWidth, kHeight), single) << format.name;
    }
}

// Each begin ends the worker of the session it replaces (exit code 3) and starts its own; a
// close without an end ends them too.
TEST_F(SessionThreadsTest, BeginEndsTheRunningWorkerAndCloseEndsTheLast) {
    SetProcessorCountForTesting(2);
    const SIZE_T handles = PosixOpenHandleCount();
    FieldCompressor compressor;
    FieldDecompressor decompressor;
    for (int begin = 1; begin <= 2; ++begin) {
        ASSERT_TRUE(compressor.Begin(nullptr, &Instance()->State));
        ASSERT_TRUE(decompressor.Begin(nullptr, &Instance()->State));
        EXPECT_EQ(compressor.Worker().LastExitCode(), begin == 1 ? 0u : 3u);
        EXPECT_EQ(decompressor.Worker().LastExitCode(), begin == 1 ? 0u : 3u);
        EXPECT_EQ(PosixOpenHandleCount(), handles + 6);
    }
    const BITMAPINFOHEADER picture = UncompressedHeader(kUyvy, 16, 16);
    ASSERT_EQ(CompressBegin(picture), ICERR_OK);
    ASSERT_EQ(DecompressBegin(picture, 16, 16), ICERR_OK);
    EXPECT_EQ(PosixOpenHandleCount(), handles + 12);
    Close(id_);
    id_ = Open();
    EXPECT_EQ(PosixOpenHandleCount(), handles + 6);
}

}  // namespace
