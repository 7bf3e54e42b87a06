// XGETBV, in the AVX2 family: it runs only once CPUID has reported OSXSAVE and AVX (see
// DetectAvx2 in cpu_class.cpp). Inline assembly, so that no extended-state flag lets the
// compiler use anything else of that instruction set. The states asked about (SSE and AVX) are
// in the low half, which is all that is kept.
#include "convert/cpuid.h"

std::uint64_t ExecuteXgetbv0() {
    std::uint32_t low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}
