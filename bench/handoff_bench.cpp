// The field worker's hand-off on its own: one start and done round trip with an empty job,
// through FieldWorker (spinning briefly before it blocks), beside the same round trip through
// two auto-reset events alone, as the hand-off was before it spun. The round trip is what the
// worker adds to every frame message; scripts/bench-wine measures the events under wine64.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "bench_support.h"
#include "codec/field_worker.h"
#include "driver/process.h"
#include "platform/code_module.h"

namespace {

// Counts the fields it is given; the count is read once the worker has said it is done.
class EmptyJob final : public FieldJob {
public:
    explicit EmptyJob(std::int64_t& converted) : converted_(converted) {}
    bool HasWork() const override { return hasWork_; }
    void EndWork() override { hasWork_ = false; }
    void Convert() override { ++converted_; }

private:
    bool hasWork_ = true;
    std::int64_t& converted_;
};

void FieldWorkerRoundTrip(benchmark::State& state) {
    static const bool attached = ProcessAttach(CodeModule());
    if (!attached) {
        state.SkipWithError("the driver did not attach");
        return;
    }
    SetProcessorCountForTesting(2);
    FieldWorker worker;
    std::int64_t converted = 0;
    if (worker.Start([&] { return new EmptyJob(converted); }) != FieldWorker::kStarted) {
        state.SkipWithError("the worker did not start");
        return;
    }
    for (auto _ : state) {
        worker.BeginField();
        worker.FinishField();
    }
    if (converted != static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("the worker converted another number of fields than it was given");
    }
    worker.Stop();
    SetProcessorCountForTesting(0);
}

void EventRoundTrip(benchmark::State& state) {
    HANDLE start = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (start == nullptr || done == nullptr) {
        state.SkipWithError("no events");
        return;
    }
    std::atomic<bool> running{true};
    std::thread worker([&] {
        while (WaitForSingleObject(start, INFINITE) == WAIT_OBJECT_0 && running) {
            SetEvent(done);
        }
    });
    for (auto _ : state) {
        if (!SetEvent(start) || WaitForSingleObject(done, INFINITE) != WAIT_OBJECT_0) {
            state.SkipWithError("a round trip failed");
            break;
        }
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
