// The field worker's protocol with a scripted job in place of a field conversion: start and
// stop, one conversion per start signal, and the frame wait that never returns early.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "codec/field_worker.h"
#include "debug_lines.h"
#include "kernel_threads.h"
#include "support/attached_driver.h"

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

// A flag one thread raises and another waits for, with a time limit.
class Flag {
public:
    void Raise() {
        std::lock_guard guard(lock_);
        raised_ = true;
        changed_.notify_all();
    }
    bool WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, limit, [this] { return raised_; });
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool raised_ = false;
};

class FieldWorkerTest : public AttachedDriverTest {
protected:
    void SetUp() override {
        AttachedDriverTest::SetUp();
        SetProcessorCountForTesting(2);
        baselineBlocks_ = PosixHeapLiveBlockCount(ghDriverHeap);
    }
    void TearDown() override {
        SetProcessorCountForTesting(0);
        AttachedDriverTest::TearDown();
    }

    // Starts `worker` with a scripted job and answers the job.
    ScriptedJob* StartScripted(FieldWorker& worker) {
        ScriptedJob* made = nullptr;
        const int started = worker.Start([&made] { return made = new ScriptedJob; });
        EXPECT_EQ(started, FieldWorker::kStarted);
        return made;
    }

    // The kernel's id of the worker's thread, learnt by running one frame.
    static long WorkerThreadId(FieldWorker& worker, ScriptedJob& job) {
        std::atomic<long> threadId{0};
        job.work = [&threadId] { threadId = CurrentKernelThreadId(); };
        RunFrame(worker);
        job.work = [] {};
        return threadId;
    }

    // One frame's hand-off with the worker's part only.
    static void RunFrame(FieldWorker& worker) {
        worker.BeginField();
        worker.FinishField();
    }

    SIZE_T baselineBlocks_ = 0;
};

TEST_F(FieldWorkerTest, OneProcessorMakesNoThreadEventOrJob) {
    SetProcessorCountForTesting(1);
    FieldWorker worker;
    bool jobMade = false;
    EXPECT_EQ(worker.Start([&jobMade] {
        jobMade = true;
        return new ScriptedJob;
    }),
              FieldWorker::kNotWanted);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(jobMade);
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), baselineBlocks_);
}

TEST_F(FieldWorkerTest, NoMemoryForTheJobIsAFailedStart) {
    FieldWorker worker;
    EXPECT_EQ(worker.Start([] { return static_cast<ScriptedJob*>(nullptr); }),
              FieldWorker::kFailed);
    EXPECT_FALSE(worker.IsRunning());
}

TEST_F(FieldWorkerTest, EachFrameConvertsOnceOnTheWorkerThread) {
    FieldWorker worker;
    ScriptedJob* job = StartScripted(worker);
    ASSERT_TRUE(worker.IsRunning());
    std::thread::id converter;
    job->work = [&converter] { converter = std::this_thread::get_id(); };
    for (int frame = 1; frame <= 3; ++frame) {
        RunFrame(worker);
        EXPECT_EQ(job->conversions, frame);
    }
    EXPECT_NE(converter, std::this_thread::get_id());
}

TEST_F(FieldWorkerTest, StopEndsAWaitingWorkerWithExitCodeThree) {
    FieldWorker worker;
    const long threadId = WorkerThreadId(worker, *StartScripted(worker));
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.LastExitCode(), FieldWorker::kExitCode);
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), baselineBlocks_);
    EXPECT_TRUE(WaitForKernelThreadToEnd(threadId));
}

TEST_F(FieldWorkerTest, DestroyingAWorkerThatWaitsEndsItsThread) {
    long threadId = 0;
    {
        FieldWorker worker;
        threadId = WorkerThreadId(worker, *StartScripted(worker));
    }
    EXPECT_TRUE(WaitForKernelThreadToEnd(threadId));
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), baselineBlocks_);
}

// The frame wait gives up after 1000 ms only to look whether the worker still lives: a slow
// conversion is waited for to its end, so the host never gets back a buffer that the worker
// still writes into.
TEST_F(FieldWorkerTest, FrameWaitsForASlowWorkerToFinish) {
    FieldWorker worker;
    ScriptedJob* job = StartScripted(worker);
    std::atomic<bool> written{false};
    job->work = [&written] {
        std::this_thread::sleep_for(1300ms);
        written = true;
    };
    RunFrame(worker);
    EXPECT_TRUE(written);
    EXPECT_TRUE(worker.IsRunning());
}

// After a frame whose worker was slow, the next frame's wait must answer to that frame's own
// conversion. The second conversion holds back for a while to see whether the frame returns
// without it, which it would if a late done signal of the first frame were still pending.
TEST_F(FieldWorkerTest, LateDoneSignalNeverEndsTheNextFramesWait) {
    FieldWorker worker;
    ScriptedJob* job = StartScripted(worker);
    job->work = [] { std::this_thread::sleep_for(1300ms); };
    RunFrame(worker);

    Flag frameReturned;
    std::atomic<bool> converted{false};
    std::atomic<bool> returnedWhileConverting{false};
    job->work = [&] {
        returnedWhileConverting = frameReturned.WaitFor(300ms);
        converted = true;
    };
    RunFrame(worker);
    frameReturned.Raise();
    EXPECT_TRUE(converted);
    worker.Stop();  // lets a conversion that is still running finish before the check
    EXPECT_FALSE(returnedWhileConverting);
}

// A worker whose loop ends by an exception never signals done; the frame sees the thread gone
// and the session goes on without it.
TEST_F(FieldWorkerTest, WorkerEndedByAnExceptionReleasesTheFrame) {
    DebugLines debug;
    FieldWorker worker;
    ScriptedJob* job = StartScripted(worker);
    job->work = [] { throw std::runtime_error("conversion failed"); };
    RunFrame(worker);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.LastExitCode(), FieldWorker::kExitCode);
    EXPECT_EQ(debug.Lines(), std::vector<std::string>{"QLNU worked thread exception\n"});
    EXPECT_EQ(PosixHeapLiveBlockCount(ghDriverHeap), baselineBlocks_);
}

TEST_F(FieldWorkerTest, ProcedureWithoutItsWorkerSaysSoAndEndsWithMinusOne) {
    DebugLines debug;
    EXPECT_EQ(FieldWorkerProcedure(nullptr), static_cast<DWORD>(-1));
    EXPECT_EQ(debug.Lines(),
              std::vector<std::string>{"QLNU worked procedure NOT CORRECTLY INITIALIZED\n"});
}

TEST_F(FieldWorkerTest, StartingAgainAfterStopMakesAFreshThread) {
    FieldWorker worker;
    StartScripted(worker);
    worker.Stop();
    ScriptedJob* job = StartScripted(worker);
    RunFrame(worker);
    EXPECT_EQ(job->conversions, 1);
}

}  // namespace
