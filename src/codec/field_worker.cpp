#include "codec/field_worker.h"

#include "codec/spin_wait.h"
#include "convert/mmx_state.h"
#include "platform/fault_guard.h"

DWORD WINAPI FieldWorkerProcedure(LPVOID argument) {
    if (argument == nullptr) {
        OutputDebugStringA("QLNU worked procedure NOT CORRECTLY INITIALIZED\n");
        return static_cast<DWORD>(-1);
    }
    auto* worker = static_cast<FieldWorker*>(argument);
    if (!RunGuarded([worker] { worker->ServeJobs(); })) {
        OutputDebugStringA("QLNU worked thread exception\n");
    }
    EmptyMmxState();
    return FieldWorker::kExitCode;
}

bool FieldWorker::CreateEvents() {
    start_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (start_ == nullptr) {
        return false;
    }
    done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (done_ == nullptr) {
        Release();
        return false;
    }
    return true;
}

int FieldWorker::Launch(FieldJob* job) {
    job_ = job;
    fieldsBegun_ = 0;
    fieldsDone_ = 0;
    if (job_ != nullptr) {
        thread_ = CreateThread(nullptr, 0, FieldWorkerProcedure, this, 0, nullptr);
        Sleep(0);
    }
    if (thread_ == nullptr) {
        Release();
        return kFailed;
    }
    return kStarted;
}

// The count is stored before the flag of the other side is read, and each side sets its own
// flag before it reads the other's count (all sequentially consistent): so either the waiter
// sees the count, or the signaller sees the flag and sets the event.
void FieldWorker::BeginField() {
    fieldsBegun_.fetch_add(1);
    if (workerBlocks_.load()) {
        SetEvent(start_);
    }
}

void FieldWorker::AwaitStart(LONG served) {
    const auto arrived = [this, served] { return fieldsBegun_.load() != served; };
    if (SpinBriefly(arrived)) {
        return;
    }
    workerBlocks_.store(true);
    while (!arrived()) {
        WaitForSingleObject(start_, INFINITE);
    }
    workerBlocks_.store(false);
}

void FieldWorker::ServeJobs() {
    LONG served = 0;
    AwaitStart(served);
    while (job_->HasWork()) {
        job_->Convert();
        fieldsDone_.store(++served);
        if (callerBlocks_.load()) {
            SetEvent(done_);
        }
        AwaitStart(served);
    }
}

void FieldWorker::Stop() {
    if (thread_ == nullptr) {
        return;
    }
    job_->EndWork();
    BeginField();
    WaitForSingleObject(thread_, INFINITE);
    GetExitCodeThread(thread_, &lastExitCode_);
    Release();
}

// A frame must not return while the worker may still write into the host's buffer, and each
// done signal must answer its own frame's start. The conversion is bounded, so a slow worker
// is waited for to the end; only a thread that has ended (it can write nothing more, and may
// never signal) releases the wait, and the session then goes on without a worker.
void FieldWorker::FinishField() {
    const LONG begun = fieldsBegun_.load();
    const auto finished = [this, begun] { return fieldsDone_.load() == begun; };
    if (SpinBriefly(finished)) {
        return;
    }
    callerBlocks_.store(true);
    while (!finished()) {
        if (WaitForSingleObject(done_, kFieldWaitMilliseconds) != WAIT_OBJECT_0 &&
            ThreadHasEnded()) {
            callerBlocks_.store(false);
            Stop();
            return;
        }
    }
    callerBlocks_.store(false);
}

bool FieldWorker::ThreadHasEnded() const {
    return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
}

void FieldWorker::Release() {
    if (start_ != nullptr) {
        CloseHandle(start_);
    }
    if (done_ != nullptr) {
        CloseHandle(done_);
    }
    if (thread_ != nullptr) {
        CloseHandle(thread_);
    }
    delete job_;
    start_ = nullptr;
    done_ = nullptr;
    thread_ = nullptr;
    job_ = nullptr;
}
