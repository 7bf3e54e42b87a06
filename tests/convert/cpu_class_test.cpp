// Classification of the processor from what CPUID reports, through the CPUID seam.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "convert/cpu_class.h"
#include "convert/cpuid.h"
#include "support/fake_cpu.h"

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

// ProcessorOfClass knows a processor of every class there is, and throws for any other.
TEST(Classification, RealProcessorGivesAClassOfTheTable) {
    const CpuClass cpuClass = GetCpuClass();
    EXPECT_NO_THROW(ProcessorOfClass(cpuClass)) << cpuClass;
    EXPECT_EQ(GetCpuClass(), cpuClass);
}

// Under emulation the run names the class that its processor model reports.
TEST(Classification, EmulatedProcessorGivesItsClass) {
    const char* expected = std::getenv("QLNU_EXPECTED_CPU_CLASS");
    if (expected == nullptr) {
        GTEST_SKIP() << "not on an emulated processor";
    }
    EXPECT_EQ(GetCpuClass(), std::atoi(expected));
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
