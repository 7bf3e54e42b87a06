#include "codec/field_worker.h"

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

void FieldWorker::ServeJobs() {
    WaitForSingleObject(start_, INFINITE);
    while (job_->HasWork()) {
        job_->Convert();
        SetEvent(done_);
        WaitForSingleObject(start_, INFINITE);
    }
}

void FieldWorker::Stop() {
    if (thread_ == nullptr) {
        return;
    }
    job_->EndWork();
    SetEvent(start_);
    WaitForSingleObject(thread_, INFINITE);
    GetExitCodeThread(thread_, &lastExitCode_);
    Release();
}

// A frame must not return while the worker may still write into the host's buffer, and each
// done signal must answer its own frame's start. The conversion is bounded, so a slow worker
// is waited for to the end; only a thread that has ended (it can write nothing more, and may
// never signal) releases the wait, and the session then goes on without a worker.
void FieldWorker::FinishField() {
    while (WaitForSingleObject(done_, kFieldWaitMilliseconds) != WAIT_OBJECT_0) {
        if (ThreadHasEnded()) {
            Stop();
            return;
        }
    }
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
