// The field worker's hand-off on its own: one start and done round trip with an empty job,
// through FieldWorker (spinning briefly before it blocks), beside the same round trip through
// two auto-reset events alone, as the hand-off was before it spun. The round trip is what the
// worker adds to every frame message; scripts/bench-wine measures the events under wine64.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "bench_support.h"
#include "codec/field_worker.h"
#include "driver/process.h"
#include "platform/code_module.h"

namespace {

class EmptyJob final : public FieldJob {
public:
    bool HasWork() const override { return hasWork_; }
    void EndWork() override { hasWork_ = false; }
    void Convert() override {}

private:
    bool hasWork_ = true;
};

void FieldWorkerRoundTrip(benchmark::State& state) {
    static const bool attached = ProcessAttach(CodeModule());
    benchmark::DoNotOptimize(attached);
    SetProcessorCountForTesting(2);
    FieldWorker worker;
    worker.Start([] { return new EmptyJob; });
    for (auto _ : state) {
        worker.BeginField();
        worker.FinishField();
    }
    worker.Stop();
    SetProcessorCountForTesting(0);
}

void EventRoundTrip(benchmark::State& state) {
    HANDLE start = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> running{true};
    std::thread worker([&] {
        while (WaitForSingleObject(start, INFINITE) == WAIT_OBJECT_0 && running) {
            SetEvent(done);
        }
    });
    for (auto _ : state) {
        SetEvent(start);
        WaitForSingleObject(done, INFINITE);
    }
    running = false;
    SetEvent(start);
    worker.join();
    CloseHandle(start);
    CloseHandle(done);
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("HandOff/FieldWorker", FieldWorkerRoundTrip)->UseRealTime();
    benchmark::RegisterBenchmark("HandOff/EventsAlone", EventRoundTrip)->UseRealTime();
    return true;
}();

}  // namespace
