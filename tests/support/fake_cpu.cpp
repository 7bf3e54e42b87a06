#include "support/fake_cpu.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

#include "convert/cpuid.h"

namespace {

constexpr std::uint32_t kMmx = 1u << 23;
constexpr std::uint32_t kCmov = 1u << 15;
constexpr std::uint32_t kSse = 1u << 25;
constexpr std::uint32_t kSse2 = 1u << 26;
constexpr std::uint32_t kAmdMmx = 1u << 22;

FakeProcessor gProcessor{};
std::atomic<int> gQueries{0};

CpuidRegisters AnswerAsFake(std::uint32_t leaf) {
    gQueries.fetch_add(1);
    CpuidRegisters registers{};
    if (leaf == 0) {
        std::memcpy(&registers.ebx, gProcessor.vendor, 4);
        std::memcpy(&registers.edx, gProcessor.vendor + 4, 4);
        std::memcpy(&registers.ecx, gProcessor.vendor + 8, 4);
    } else if (leaf == 1) {
        registers.edx = gProcessor.features;
    } else if (leaf == 0x80000001u) {
        registers.edx = gProcessor.amdFeatures;
    }
    return registers;
}

}  // namespace

FakeProcessor ProcessorOfClass(CpuClass cpuClass) {
    switch (cpuClass) {
        case 0:
            return {"CyrixInstead", kMmx | kCmov | kSse | kSse2, 0};
        case 1:
            return {"GenuineIntel", kMmx, 0};
        case 2:
            return {"GenuineIntel", kCmov, 0};
        case 3:
            return {"GenuineIntel", kMmx | kCmov, 0};
        case 15:
            return {"GenuineIntel", kMmx | kCmov | kSse, 0};
        case 31:
            return {"GenuineIntel", kMmx | kCmov | kSse | kSse2, 0};
        case 135:
            return {"AuthenticAMD", kMmx | kCmov, kAmdMmx};
        case 143:
            return {"AuthenticAMD", kMmx | kCmov | kSse, kAmdMmx};
        case 159:
            return {"AuthenticAMD", kMmx | kCmov | kSse | kSse2, kAmdMmx};
        default:
            throw std::invalid_argument("no processor of that class");
    }
}

ScopedFakeProcessor::ScopedFakeProcessor(const FakeProcessor& processor) {
    gProcessor = processor;
    gQueries.store(0);
    SetCpuidReaderForTesting(AnswerAsFake);
}

ScopedFakeProcessor::~ScopedFakeProcessor() {
    SetCpuidReaderForTesting(nullptr);
}

int ScopedFakeProcessor::Queries() {
    return gQueries.load();
}
