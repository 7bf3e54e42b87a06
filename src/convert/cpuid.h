// The processor's identification instruction, reached through one replaceable function so
// that tests can present any vendor and any feature bits.
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
