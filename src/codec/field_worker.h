// A session's second thread on a multi-processor machine: it converts one field of each frame
// while the thread that called the driver converts the other. Session and worker share a job
// record and two auto-reset events: the session fills the job and signals start, the worker
// converts and signals done. One start gives exactly one conversion and one done.
//
// Each side counts what it has handed over (fields begun, fields done) and spins briefly on
// the other side's count before it blocks on its event; an event is set only when the other
// side has said it blocks, so that back-to-back frames pass without a kernel round trip. A
// signal that finds its waiter already gone stays set and only makes the next wait look at
// the count again.
#pragma once

#include <atomic>

#include "common/driver_heap.h"
#include "platform/processors.h"
#include "platform/win_api.h"

// One field of one frame, as the worker converts it. The session fills in its own job type
// before each start signal; the worker reads it only after that signal.
class FieldJob : public HeapObject {
public:
    // False once the session has asked the worker to end.
    virtual bool HasWork() const = 0;
    virtual void EndWork() = 0;
    // Converts the field; catches whatever the conversion raises.
    virtual void Convert() = 0;
};

class FieldWorker {
public:
    // Answers of Start.
    static constexpr int kStarted = 0;
    static constexpr int kFailed = -1;
    static constexpr int kNotWanted = -2;
    // How the thread ends when asked to.
    static constexpr DWORD kExitCode = 3;
    // How long a frame waits for the worker before it looks whether the worker still lives.
    static constexpr DWORD kFieldWaitMilliseconds = 1000;

    FieldWorker() = default;
    ~FieldWorker() { Stop(); }

    FieldWorker(const FieldWorker&) = delete;
    FieldWorker& operator=(const FieldWorker&) = delete;

    // Starts the thread on a machine with two or more processors. `makeJob` makes the job on the
    // driver heap (null when out of memory) and runs only once both events exist.
    template <typename MakeJob>
    int Start(MakeJob makeJob) {
        if (ProcessorCount() < 2) {
            return kNotWanted;
        }
        if (!CreateEvents()) {
            return kFailed;
        }
        return Launch(makeJob());
    }

    // Asks the thread to end and waits for it without limit, then frees events and job.
    void Stop();

    bool IsRunning() const { return thread_ != nullptr; }

    // The job the session fills in; only while the worker runs and waits for a start.
    template <typename Job>
    Job& JobAs() {
        return *static_cast<Job*>(job_);
    }

    // One frame's hand-off: after filling the job, BeginField lets the worker convert it, and
    // FinishField returns once the worker has finished with it (see there).
    void BeginField();
    void FinishField();

    // The exit code of the thread that Stop ended last (0 before any).
    DWORD LastExitCode() const { return lastExitCode_; }

private:
    friend DWORD WINAPI FieldWorkerProcedure(LPVOID worker);

    bool CreateEvents();
    int Launch(FieldJob* job);
    void ServeJobs();
    // The worker's wait for the field after the `served` ones it has converted.
    void AwaitStart(LONG served);
    bool ThreadHasEnded() const;
    void Release();

    HANDLE start_ = nullptr;
    HANDLE done_ = nullptr;
    HANDLE thread_ = nullptr;
    FieldJob* job_ = nullptr;
    DWORD lastExitCode_ = 0;
    std::atomic<LONG> fieldsBegun_{};
    std::atomic<LONG> fieldsDone_{};
    std::atomic<bool> workerBlocks_{};
    std::atomic<bool> callerBlocks_{};
};

// The thread's procedure, with the FieldWorker as its argument. Without one it reports that
// it was not set up and ends with -1; otherwise it serves jobs until asked to end, clears the
// MMX state and ends with FieldWorker::kExitCode.
DWORD WINAPI FieldWorkerProcedure(LPVOID worker);
