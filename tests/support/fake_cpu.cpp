#include "support/fake_cpu.h"

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "convert/cpuid.h"

namespace {

FakeProcessor gProcessor{};
std::atomic<int> gQueries{0};

CpuidRegisters AnswerAsFake(std::uint32_t leaf) {
    gQueries.fetch_add(1);
    CpuidRegisters registers{};
    if (leaf == 0) {
        registers.eax = gProcessor.highestLeaf;
        std::memcpy(&registers.ebx, gProcessor.vendor, 4);
        std::memcpy(&registers.edx, gProcessor.vendor + 4, 4);
        std::memcpy(&registers.ecx, gProcessor.vendor + 8, 4);
    } else if (leaf == 1) {
        registers.edx = gProcessor.features;
        registers.ecx = gProcessor.ecxFeatures;
    } else if (leaf == 7) {
        registers.ebx = gProcessor.structuredFeatures;
    } else if (leaf == 0x80000001u) {
        registers.edx = gProcessor.amdFeatures;
    }
    return registers;
}

std::uint64_t AnswerXcr0AsFake() {
    gQueries.fetch_add(1);
    return gProcessor.xcr0;
}

}  // namespace

FakeProcessor ProcessorOfClass(CpuClass cpuClass) {
    constexpr std::pair<CpuClass, FakeProcessor> kProcessors[] = {
        {0, {"CyrixInstead", kMmx | kCmov | kSse | kSse2, 0}},
        {1, {"GenuineIntel", kMmx, 0}},
        {2, {"GenuineIntel", kCmov, 0}},
        {3, {"GenuineIntel", kMmx | kCmov, 0}},
        {15, {"GenuineIntel", kMmx | kCmov | kSse, 0}},
        {31, {"GenuineIntel", kMmx | kCmov | kSse | kSse2, 0}},
        {135, {"AuthenticAMD", kMmx | kCmov, kAmdMmx}},
        {143, {"AuthenticAMD", kMmx | kCmov | kSse, kAmdMmx}},
        {159, {"AuthenticAMD", kMmx | kCmov | kSse | kSse2, kAmdMmx}},
    };
    for (const auto& [processorClass, processor] : kProcessors) {
        if (processorClass == cpuClass) {
            return processor;
        }
    }
    throw std::invalid_argument("no processor of that class");
}

FakeProcessor WithAvx2(FakeProcessor processor, std::uint64_t xcr0) {
    processor.ecxFeatures |= kOsxsave | kAvx;
    processor.structuredFeatures |= kAvx2;
    processor.xcr0 = xcr0;
    return processor;
}

ScopedFakeProcessor::ScopedFakeProcessor(const FakeProcessor& processor) {
    gProcessor = processor;
    gQueries.store(0);
    SetCpuidReaderForTesting(AnswerAsFake);
    SetXcr0ReaderForTesting(AnswerXcr0AsFake);
}

ScopedFakeProcessor::~ScopedFakeProcessor() {
    SetCpuidReaderForTesting(nullptr);
    SetXcr0ReaderForTesting(nullptr);
}

int ScopedFakeProcessor::Queries() {
    return gQueries.load();
}
