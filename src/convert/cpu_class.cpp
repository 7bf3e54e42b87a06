#include "convert/cpu_class.h"

#include <cstring>

#include "convert/cpuid.h"
#include "platform/fault_guard.h"

namespace {

constexpr std::uint32_t kMmxBit = 1u << 23;
constexpr std::uint32_t kCmovBit = 1u << 15;
constexpr std::uint32_t kSseBit = 1u << 25;
constexpr std::uint32_t kSse2Bit = 1u << 26;
constexpr std::uint32_t kAmdExtendedMmxBit = 1u << 22;

constexpr std::uint32_t kVendorLeaf = 0;
constexpr std::uint32_t kFeatureLeaf = 1;
constexpr std::uint32_t kStructuredFeatureLeaf = 7;
constexpr std::uint32_t kAmdExtendedFeatureLeaf = 0x80000001u;

// Leaf 1 ECX, leaf 7 EBX, and the SSE and AVX register states in XCR0.
constexpr std::uint32_t kOsxsaveBit = 1u << 27;
constexpr std::uint32_t kAvxBit = 1u << 28;
constexpr std::uint32_t kAvx2Bit = 1u << 5;
constexpr std::uint64_t kSseAndAvxStates = 0x6;

bool Has(std::uint32_t features, std::uint32_t bit) {
    return (features & bit) != 0;
}

CpuClass ClassifyIntel(std::uint32_t features) {
    if (Has(features, kSse2Bit)) {
        return 31;
    }
    if (Has(features, kSseBit)) {
        return 15;
    }
    if (Has(features, kMmxBit) && Has(features, kCmovBit)) {
        return 3;
    }
    if (Has(features, kCmovBit)) {
        return 2;
    }
    return Has(features, kMmxBit) ? 1 : 0;
}

// The extended leaf is asked for without first checking that the processor has it.
CpuClass ClassifyAmd(std::uint32_t features) {
    if (Has(features, kSse2Bit)) {
        return 159;
    }
    if (Has(features, kSseBit)) {
        return 143;
    }
    if (!Has(features, kMmxBit)) {
        return 0;
    }
    return Has(ReadCpuid(kAmdExtendedFeatureLeaf).edx, kAmdExtendedMmxBit) ? 135 : 1;
}

CpuClass Classify() {
    char vendor[13] = "VendorIsNone";
    const CpuidRegisters id = ReadCpuid(kVendorLeaf);
    std::memcpy(vendor, &id.ebx, 4);
    std::memcpy(vendor + 4, &id.edx, 4);
    std::memcpy(vendor + 8, &id.ecx, 4);
    if (std::memcmp(vendor, "GenuineIntel", 12) == 0) {
        return ClassifyIntel(ReadCpuid(kFeatureLeaf).edx);
    }
    if (std::memcmp(vendor, "AuthenticAMD", 12) == 0) {
        return ClassifyAmd(ReadCpuid(kFeatureLeaf).edx);
    }
    return 0;
}

// XGETBV exists only where OSXSAVE is reported, and leaf 7 only up to the highest leaf.
bool DetectAvx2() {
    const std::uint32_t features = ReadCpuid(kFeatureLeaf).ecx;
    if (!Has(features, kOsxsaveBit) || !Has(features, kAvxBit)) {
        return false;
    }
    if ((ReadXcr0() & kSseAndAvxStates) != kSseAndAvxStates) {
        return false;
    }
    return ReadCpuid(kVendorLeaf).eax >= kStructuredFeatureLeaf &&
           Has(ReadCpuid(kStructuredFeatureLeaf).ebx, kAvx2Bit);
}

}  // namespace

bool Avx2Usable() {
    bool result = false;
    return RunGuarded([&result] { result = DetectAvx2(); }) && result;
}

CpuClass GetCpuClass() {
    CpuClass result = 0;
    if (!RunGuarded([&result] { result = Classify(); })) {
        return 0;
    }
    return result;
}
