#include "convert/cpuid.h"

#include <cpuid.h>

#include <atomic>

namespace {

CpuidRegisters ExecuteCpuid(std::uint32_t leaf) {
    CpuidRegisters registers{};
    __cpuid_count(leaf, 0, registers.eax, registers.ebx, registers.ecx, registers.edx);
    return registers;
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
