#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
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

void RunInCache(benchmark::State& state, const FieldBuffers& buffers, const FieldSize& size,
                const FieldWork& work) {
    std::vector<BYTE> storage(buffers.SlotBytes() + kPageBytes, 0x40);
    BYTE* source =
        reinterpret_cast<BYTE*>(RoundToPages(reinterpret_cast<std::uintptr_t>(storage.data())));
    BYTE* destination = source + RoundToPages(buffers.sourceBytes);
    for (auto _ : state) {
        work(destination, source, size);
        benchmark::ClobberMemory();
    }
}

void RunRotating(benchmark::State& state, const FieldBuffers& buffers, const FieldSize& size,
                 const FieldWork& work) {
    BYTE* pool = Pool();
    const std::size_t slots = PoolBytes() / buffers.SlotBytes();
    std::size_t slot = 0;
    for (auto _ : state) {
        BYTE* source = pool + slot * buffers.SlotBytes();
        work(source + RoundToPages(buffers.sourceBytes), source, size);
        benchmark::ClobberMemory();
        slot = slot + 1 == slots ? 0 : slot + 1;
    }
}

}  // namespace

void RegisterFieldBenchmark(const std::string& label, int sourceBytesPerPixel,
                            int destinationBytesPerPixel, FieldWork work) {
    for (const FieldSize& size : kFieldSizes) {
        const std::size_t pixels = static_cast<std::size_t>(size.width) * size.rows;
        const FieldBuffers buffers{pixels * sourceBytesPerPixel, pixels * destinationBytesPerPixel};
        const std::string name = label + "/" + size.name;
        benchmark::RegisterBenchmark((name + "/incache").c_str(), [=](benchmark::State& state) {
            RunInCache(state, buffers, size, work);
        })->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/rotating").c_str(), [=](benchmark::State& state) {
            RunRotating(state, buffers, size, work);
        })->Unit(benchmark::kMicrosecond);
    }
}

void RegisterMemcpyBenchmarks() {
    RegisterFieldBenchmark("memcpy", 2, 2,
                           [](BYTE* destination, const BYTE* source, const FieldSize& size) {
                               std::memcpy(destination, source, size.UyvyBytes());
                           });
}
