// Presents a chosen processor to GetCpuClass through the CPUID seam, and counts how often the
// classification asks for it.
#pragma once

#include <cstdint>

#include "convert/cpu_class.h"

// Feature bits: EDX of leaf 1, and of leaf 0x80000001 for kAmdMmx.
constexpr std::uint32_t kMmx = 1u << 23;
constexpr std::uint32_t kCmov = 1u << 15;
constexpr std::uint32_t kSse = 1u << 25;
constexpr std::uint32_t kSse2 = 1u << 26;
constexpr std::uint32_t kAmdMmx = 1u << 22;

struct FakeProcessor {
    const char* vendor;         // 12 characters
    std::uint32_t features;     // EDX of leaf 1
    std::uint32_t amdFeatures;  // EDX of leaf 0x80000001
};

// A processor that classifies as `cpuClass` (0, 1, 2, 3, 15, 31, 135, 143, 159).
FakeProcessor ProcessorOfClass(CpuClass cpuClass);

// True if the real processor executes the variants that `cpuClass` binds: it reports every
// capability of that class (the vendor aside). Any x86-64 processor runs them all; emulated
// 32-bit models skip what they lack. Asked while no fake is installed.
bool RealProcessorRuns(CpuClass cpuClass);

// Installs the fake for the scope's lifetime and restores the real instruction after it.
class ScopedFakeProcessor {
public:
    explicit ScopedFakeProcessor(const FakeProcessor& processor);
    explicit ScopedFakeProcessor(CpuClass cpuClass)
        : ScopedFakeProcessor(ProcessorOfClass(cpuClass)) {}
    ~ScopedFakeProcessor();
    ScopedFakeProcessor(const ScopedFakeProcessor&) = delete;
    ScopedFakeProcessor& operator=(const ScopedFakeProcessor&) = delete;

    // CPUID executions since the fake was installed.
    static int Queries();
};
