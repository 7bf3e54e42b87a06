// Presents a chosen processor to GetCpuClass and Avx2Usable through the CPUID and XGETBV seams,
// and counts how often they ask for it.
#pragma once

#include <cstdint>

#include "convert/cpu_class.h"

// Feature bits: EDX of leaf 1, and of leaf 0x80000001 for kAmdMmx.
constexpr std::uint32_t kMmx = 1u << 23;
constexpr std::uint32_t kCmov = 1u << 15;
constexpr std::uint32_t kSse = 1u << 25;
constexpr std::uint32_t kSse2 = 1u << 26;
constexpr std::uint32_t kAmdMmx = 1u << 22;
// ECX of leaf 1, EBX of leaf 7, and the register states (XCR0) that AVX2 code needs saved.
constexpr std::uint32_t kOsxsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
constexpr std::uint32_t kAvx2 = 1u << 5;
constexpr std::uint64_t kSseAndAvxStates = 0x6;

struct FakeProcessor {
    const char* vendor;                    // 12 characters
    std::uint32_t features;                // EDX of leaf 1
    std::uint32_t amdFeatures;             // EDX of leaf 0x80000001
    std::uint32_t ecxFeatures = 0;         // ECX of leaf 1
    std::uint32_t structuredFeatures = 0;  // EBX of leaf 7
    std::uint64_t xcr0 = 0;                // what XGETBV answers
    std::uint32_t highestLeaf = 7;         // EAX of leaf 0
};

// A processor that classifies as `cpuClass` (0, 1, 2, 3, 15, 31, 135, 143, 159).
FakeProcessor ProcessorOfClass(CpuClass cpuClass);

// `processor` reporting AVX2, with an operating system that saves the states in `xcr0`.
FakeProcessor WithAvx2(FakeProcessor processor, std::uint64_t xcr0 = kSseAndAvxStates);

// Installs the fake for the scope's lifetime and restores the real instruction after it.
class ScopedFakeProcessor {
public:
    explicit ScopedFakeProcessor(const FakeProcessor& processor);
    explicit ScopedFakeProcessor(CpuClass cpuClass)
        : ScopedFakeProcessor(ProcessorOfClass(cpuClass)) {}
    ~ScopedFakeProcessor();
    ScopedFakeProcessor(const ScopedFakeProcessor&) = delete;
    ScopedFakeProcessor& operator=(const ScopedFakeProcessor&) = delete;

    // CPUID and XGETBV executions since the fake was installed.
    static int Queries();
};
