// Classification of the processor from what CPUID reports, through the CPUID seam.
#include <gtest/gtest.h>

#include <stdexcept>

#include "convert/cpu_class.h"
#include "convert/cpuid.h"
#include "support/fake_cpu.h"
#include "support/real_processor.h"

namespace {

constexpr std::uint32_t kEverything = 0xFFFFFFFFu;

// The class, and how many CPUID queries it takes: the extended leaf is asked for only for AMD
// processors with MMX but no SSE, and a vendor that is neither ends after the first.
struct ClassificationCase {
    const char* name;
    FakeProcessor processor;
    CpuClass expected;
    int queries;
};

const ClassificationCase kCases[] = {
    {"IntelNothing", {"GenuineIntel", 0, 0}, 0, 2},
    {"IntelMmxOnly", {"GenuineIntel", kMmx, 0}, 1, 2},
    {"IntelCmovOnly", {"GenuineIntel", kCmov, 0}, 2, 2},
    {"IntelMmxCmov", {"GenuineIntel", kMmx | kCmov, 0}, 3, 2},
    {"IntelSse", {"GenuineIntel", kMmx | kCmov | kSse, 0}, 15, 2},
    {"IntelSseWithoutMmxOrCmov", {"GenuineIntel", kSse, 0}, 15, 2},
    {"IntelSse2", {"GenuineIntel", kMmx | kCmov | kSse | kSse2, 0}, 31, 2},
    {"IntelSse2WithoutSse", {"GenuineIntel", kSse2, 0}, 31, 2},
    {"IntelIgnoresAmdLeaf", {"GenuineIntel", kMmx, kAmdMmx}, 1, 2},
    {"IntelUnrelatedBits", {"GenuineIntel", kEverything & ~(kMmx | kCmov | kSse | kSse2), 0}, 0, 2},
    {"AmdNothing", {"AuthenticAMD", 0, kAmdMmx}, 0, 2},
    {"AmdCmovOnly", {"AuthenticAMD", kCmov, kAmdMmx}, 0, 2},
    {"AmdMmxWithoutExtensions", {"AuthenticAMD", kMmx | kCmov, 0}, 1, 3},
    {"AmdMmxWithExtensions", {"AuthenticAMD", kMmx, kAmdMmx}, 135, 3},
    {"AmdExtendedLeafOtherBits", {"AuthenticAMD", kMmx, ~kAmdMmx}, 1, 3},
    {"AmdSse", {"AuthenticAMD", kMmx | kSse, 0}, 143, 2},
    {"AmdSse2", {"AuthenticAMD", kMmx | kSse | kSse2, kAmdMmx}, 159, 2},
    {"AmdSse2WithoutSse", {"AuthenticAMD", kSse2, 0}, 159, 2},
    {"OtherVendor", {"CyrixInstead", kEverything, kEverything}, 0, 1},
    {"IntelFirstByteOff", {"HenuineIntel", kEverything, kEverything}, 0, 1},
    {"IntelLastByteOff", {"GenuineInteL", kEverything, kEverything}, 0, 1},
    {"AmdFirstByteOff", {"ButhenticAMD", kEverything, kEverything}, 0, 1},
    {"AmdMiddleByteOff", {"AuthenticBMD", kEverything, kEverything}, 0, 1},
    {"InitialBufferText", {"VendorIsNone", kEverything, kEverything}, 0, 1},
    {"RegistersInWrongOrder", {"GenuntelineI", kEverything, kEverything}, 0, 1},
};

TEST(Classification, GivesTheClassOfTheTable) {
    for (const ClassificationCase& c : kCases) {
        ScopedFakeProcessor fake(c.processor);
        EXPECT_EQ(GetCpuClass(), c.expected) << c.name;
        EXPECT_EQ(ScopedFakeProcessor::Queries(), c.queries) << c.name;
    }
}

// AVX2 needs the processor's AVX and AVX2 bits, leaf 7 within its leaves, and an operating
// system that saves the SSE and AVX states (which XGETBV can tell only where OSXSAVE is set).
TEST(Classification, Avx2IsUsableOnlyWithProcessorAndSystemSupport) {
    const FakeProcessor avx2 = WithAvx2(ProcessorOfClass(31));
    FakeProcessor withoutAvx2 = avx2, withoutOsxsave = avx2, withoutAvx = avx2, lowLeaves = avx2;
    withoutAvx2.structuredFeatures = ~kAvx2;
    withoutOsxsave.ecxFeatures = ~kOsxsave;
    withoutAvx.ecxFeatures = ~kAvx;
    lowLeaves.highestLeaf = 6;
    const std::pair<FakeProcessor, bool> kAvx2Cases[] = {
        {avx2, true},
        {WithAvx2(ProcessorOfClass(159), 0xE7), true},
        {ProcessorOfClass(31), false},
        {withoutAvx2, false},
        {withoutOsxsave, false},
        {withoutAvx, false},
        {lowLeaves, false},
        {WithAvx2(ProcessorOfClass(31), 0x2), false},
        {WithAvx2(ProcessorOfClass(31), 0x4), false},
    };
    for (const auto& [processor, usable] : kAvx2Cases) {
        ScopedFakeProcessor fake(processor);
        EXPECT_EQ(Avx2Usable(), usable) << &processor - &kAvx2Cases[0].first;
        EXPECT_EQ(GetCpuClass(), CpuClass{processor.vendor[0] == 'G' ? 31 : 159});
    }
}

// The processor running the tests, as the compiler's own check or the emulated run knows it.
TEST(Classification, RealProcessorGivesItsClassAndAvx2) {
    EXPECT_EQ(GetCpuClass(), ExpectedCpuClass());
    EXPECT_EQ(Avx2Usable(), ProcessorRunsAvx2());
}

// Readers that fail the way a processor without the instruction, or a broken one, would.
TEST(Classification, FaultWhileClassifyingGivesZero) {
    const CpuidReader illegalInstruction = [](std::uint32_t) -> CpuidRegisters {
        __builtin_trap();
    };
    const CpuidReader broken = [](std::uint32_t) -> CpuidRegisters {
        throw std::runtime_error("no identification");
    };
    for (CpuidReader reader : {illegalInstruction, broken}) {
        SetCpuidReaderForTesting(reader);
        EXPECT_EQ(GetCpuClass(), 0);
    }
    SetCpuidReaderForTesting(nullptr);
}

}  // namespace
