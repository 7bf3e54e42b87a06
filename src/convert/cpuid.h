// The processor's identification instruction and its extended-state register read (XGETBV),
// each reached through one replaceable function so that tests can present any processor.
#pragma once

#include <cstdint>

struct CpuidRegisters {
    std::uint32_t eax;
    std::uint32_t ebx;
    std::uint32_t ecx;
    std::uint32_t edx;
};

using CpuidReader = CpuidRegisters (*)(std::uint32_t leaf);

// Executes CPUID for `leaf` (sub-leaf 0), or asks the reader a test has installed.
CpuidRegisters ReadCpuid(std::uint32_t leaf);

// Replaces the instruction by `reader`; null returns to the processor's own answers.
void SetCpuidReaderForTesting(CpuidReader reader);

using XcrReader = std::uint64_t (*)();

// Executes XGETBV for register 0 (the register states the operating system saves; the low 32
// bits, where SSE and AVX are), or asks the reader a test has installed. Faults unless CPUID
// reports OSXSAVE.
std::uint64_t ReadXcr0();

// The instruction itself, which ReadXcr0 runs unless a test reader stands in for it. It lives
// in a file of the AVX2 family (xgetbv_avx2.cpp): only processors with AVX reach it, and the
// 32-bit driver's instruction check allows it there alone.
std::uint64_t ExecuteXgetbv0();

// Replaces the instruction by `reader`; null returns to the processor's own answer.
void SetXcr0ReaderForTesting(XcrReader reader);
