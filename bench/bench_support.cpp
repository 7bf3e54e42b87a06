#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

const FieldSize kFieldSizes[2] = {{"720x576", 720, 288}, {"1920x1088", 1920, 544}};

namespace {

constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kMinimumPoolBytes = std::size_t{64} << 20;
constexpr std::size_t kMaximumPoolBytes = std::size_t{1} << 30;

std::size_t RoundToPages(std::size_t bytes) {
    return (bytes + kPageBytes - 1) / kPageBytes * kPageBytes;
}

// Larger than the last-level cache, so that each field of a rotation comes from memory.
std::size_t PoolBytes() {
    const long lastLevel = std::max(sysconf(_SC_LEVEL3_CACHE_SIZE), sysconf(_SC_LEVEL2_CACHE_SIZE));
    const std::size_t cacheBytes = lastLevel > 0 ? static_cast<std::size_t>(lastLevel) : 0;
    return std::clamp(cacheBytes + cacheBytes / 2, kMinimumPoolBytes, kMaximumPoolBytes);
}

// One pool for all rotating benchmarks of the program, allocated and touched on first use.
BYTE* Pool() {
    static const std::unique_ptr<BYTE[]> pool = [] {
        std::unique_ptr<BYTE[]> bytes(new (std::align_val_t{kPageBytes}) BYTE[PoolBytes()]);
        std::memset(bytes.get(), 0x40, PoolBytes());
        return bytes;
    }();
    return pool.get();
}

struct FieldBuffers {
    std::size_t sourceBytes;
    std::size_t destinationBytes;
    std::size_t SlotBytes() const {
        return RoundToPages(sourceBytes) + RoundToPages(destinationBytes);
    }
};

// Empty if `work` does its work: it accepts the call and leaves the destination as `reference`
// leaves it, from the same source and the same filling. Otherwise what it did instead.
std::string Disagreement(const FieldBuffers& buffers, const FieldSize& size, const FieldWork& work,
                         const FieldWork& reference) {
    // With a page to spare, as the timed buffers have: libswscale reads and writes a little past
    // the pictures it is given.
    std::vector<BYTE> source(RoundToPages(buffers.sourceBytes) + kPageBytes);
    for (std::size_t i = 0; i < source.size(); ++i) {
        source[i] = static_cast<BYTE>((i * 2654435761u) >> 13);
    }
    std::vector<BYTE> written(RoundToPages(buffers.destinationBytes) + kPageBytes, 0xA5);
    std::vector<BYTE> expected(written);
    if (!work(written.data(), source.data(), size)) {
        return "refused the call";
    }
    if (reference && (!reference(expected.data(), source.data(), size) || written != expected)) {
        return "wrote other bytes than its reference";
    }
    return {};
}

// Times `work` as the loop runs; a refused call ends the benchmark with an error.
template <typename Buffers>
void RunTimed(benchmark::State& state, const FieldSize& size, const FieldWork& work,
              Buffers nextBuffers) {
    for (auto _ : state) {
        const auto [destination, source] = nextBuffers();
        if (!work(destination, source, size)) {
            state.SkipWithError("refused the call");
            break;
        }
        benchmark::ClobberMemory();
    }
}

void RunInCache(benchmark::State& state, const FieldBuffers& buffers, const FieldSize& size,
                const FieldWork& work) {
    std::vector<BYTE> storage(buffers.SlotBytes() + kPageBytes, 0x40);
    BYTE* source =
        reinterpret_cast<BYTE*>(RoundToPages(reinterpret_cast<std::uintptr_t>(storage.data())));
    BYTE* destination = source + RoundToPages(buffers.sourceBytes);
    RunTimed(state, size, work, [=] { return std::pair(destination, source); });
}

void RunRotating(benchmark::State& state, const FieldBuffers& buffers, const FieldSize& size,
                 const FieldWork& work) {
    BYTE* pool = Pool();
    const std::size_t slots = PoolBytes() / buffers.SlotBytes();
    std::size_t slot = 0;
    RunTimed(state, size, work, [&] {
        BYTE* source = pool + slot * buffers.SlotBytes();
        slot = slot + 1 == slots ? 0 : slot + 1;
        return std::pair(source + RoundToPages(buffers.sourceBytes), source);
    });
}

}  // namespace

void RegisterFieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                            int destinationBytesPerPixel, FieldWork work, FieldWork reference) {
    for (const FieldSize& size : kFieldSizes) {
        const std::size_t pixels = static_cast<std::size_t>(size.width) * size.rows;
        const FieldBuffers buffers{pixels * sourceBytesPerPixel, pixels * destinationBytesPerPixel};
        const std::string name = label + "/" + size.name;
        for (auto run : {RunInCache, RunRotating}) {
            const char* memory = run == RunInCache ? "/incache" : "/rotating";
            benchmark::RegisterBenchmark((name + memory).c_str(), [=](benchmark::State& state) {
                const std::string wrong = Disagreement(buffers, size, work, reference);
                if (!wrong.empty()) {
                    state.SkipWithError((label + " " + wrong).c_str());
                    return;
                }
                run(state, buffers, size, work);
            })->Unit(benchmark::kMicrosecond);
        }
    }
}

bool ProcessorRunsAvx2() {
    return __builtin_cpu_supports("avx2");
}

void RegisterAvx2FieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                                int destinationBytesPerPixel, FieldWork work, FieldWork reference) {
    if (ProcessorRunsAvx2()) {
        RegisterFieldBenchmark(label, sourceBytesPerPixel, destinationBytesPerPixel, work,
                               reference);
    } else {
        std::fprintf(stderr, "%s left out: the processor does not run AVX2\n", label.c_str());
    }
}

void RegisterMemcpyBenchmarks() {
    RegisterFieldBenchmark("memcpy", 2, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               std::memcpy(destination, source, size.UyvyBytes());
                               return true;
                           });
}
