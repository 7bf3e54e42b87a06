#include "convert/cpuid.h"

#include <cpuid.h>

#include <atomic>

namespace {

CpuidRegisters ExecuteCpuid(std::uint32_t leaf) {
    CpuidRegisters registers{};
    __cpuid(leaf, registers.eax, registers.ebx, registers.ecx, registers.edx);
    return registers;
}

std::atomic<CpuidReader> gCpuidReader{ExecuteCpuid};

}  // namespace

CpuidRegisters ReadCpuid(std::uint32_t leaf) {
    return gCpuidReader.load()(leaf);
}

void SetCpuidReaderForTesting(CpuidReader reader) {
    gCpuidReader.store(reader != nullptr ? reader : ExecuteCpuid);
}
