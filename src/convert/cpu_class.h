// Classification of the running processor into the class that selects every kernel variant.
#pragma once

#include <cstdint>

// A sum of capability bits (1 MMX, 2 conditional move, 4 extended MMX integer instructions,
// 8 SSE, 16 SSE2, 128 AMD); only whole values are ever compared. The values that occur are
// 0, 1, 2, 3, 15, 31 (Intel), 1, 135, 143, 159 (AMD) and 0 for any other vendor.
using CpuClass = std::int32_t;

// Classifies the processor from CPUID (through ReadCpuid). Nothing is cached: every call asks
// the processor again. A fault or exception while asking gives 0.
CpuClass GetCpuClass();

// True if the processor has AVX2 and the operating system saves the 256-bit registers (asked
// through ReadCpuid and ReadXcr0). It refines the choice of classes 31 and 159 and is not part
// of the class: the class values stay those above.
bool Avx2Usable();
