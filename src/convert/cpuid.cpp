#include "convert/cpuid.h"

#include <cpuid.h>

#include <atomic>

namespace {

CpuidRegisters ExecuteCpuid(std::uint32_t leaf) {
    CpuidRegisters registers{};
    __cpuid_count(leaf, 0, registers.eax, registers.ebx, registers.ecx, registers.edx);
    return registers;
}

// Inline assembly, so that the file needs no extended-state instruction set flag. Only the
// x86-64 build has AVX2 kernels to ask for; the 32-bit driver, which runs on processors that
// lack the instruction, neither contains it nor reports any saved register state. The states
// asked about (SSE and AVX) are in the low half, which is all that is kept.
std::uint64_t ExecuteXgetbv0() {
#if defined(__x86_64__)
    std::uint32_t low = 0, high = 0;
    asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
#else
    return 0;
#endif
}

std::atomic<CpuidReader> gCpuidReader{ExecuteCpuid};
std::atomic<XcrReader> gXcr0Reader{ExecuteXgetbv0};

}  // namespace

CpuidRegisters ReadCpuid(std::uint32_t leaf) {
    return gCpuidReader.load()(leaf);
}

void SetCpuidReaderForTesting(CpuidReader reader) {
    gCpuidReader.store(reader != nullptr ? reader : ExecuteCpuid);
}

std::uint64_t ReadXcr0() {
    return gXcr0Reader.load()();
}

void SetXcr0ReaderForTesting(XcrReader reader) {
    gXcr0Reader.store(reader != nullptr ? reader : ExecuteXgetbv0);
}
