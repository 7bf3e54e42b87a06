// Classification of the processor from what CPUID reports, through the CPUID seam.
#include <gtest/gtest.h>

#include <stdexcept>

#include "convert/cpu_class.h"
#include "convert/cpuid.h"
#include "support/fake_cpu.h"

namespace {

constexpr std::uint32_t kEverything = 0xFFFFFFFFu;

struct ClassificationCase {
    const char* name;
    FakeProcessor processor;
    CpuClass expected;
};

const ClassificationCase kCases[] = {
    {"IntelNothing", {"GenuineIntel", 0, 0}, 0},
    {"IntelMmxOnly", {"GenuineIntel", kMmx, 0}, 1},
    {"IntelCmovOnly", {"GenuineIntel", kCmov, 0}, 2},
    {"IntelMmxCmov", {"GenuineIntel", kMmx | kCmov, 0}, 3},
    {"IntelSse", {"GenuineIntel", kMmx | kCmov | kSse, 0}, 15},
    {"IntelSseWithoutMmxOrCmov", {"GenuineIntel", kSse, 0}, 15},
    {"IntelSse2", {"GenuineIntel", kMmx | kCmov | kSse | kSse2, 0}, 31},
    {"IntelSse2WithoutSse", {"GenuineIntel", kSse2, 0}, 31},
    {"IntelIgnoresAmdLeaf", {"GenuineIntel", kMmx, kAmdMmx}, 1},
    {"IntelUnrelatedBits", {"GenuineIntel", kEverything & ~(kMmx | kCmov | kSse | kSse2), 0}, 0},
    {"AmdNothing", {"AuthenticAMD", 0, kAmdMmx}, 0},
    {"AmdCmovOnly", {"AuthenticAMD", kCmov, kAmdMmx}, 0},
    {"AmdMmxWithoutExtensions", {"AuthenticAMD", kMmx | kCmov, 0}, 1},
    {"AmdMmxWithExtensions", {"AuthenticAMD", kMmx, kAmdMmx}, 135},
    {"AmdExtendedLeafOtherBits", {"AuthenticAMD", kMmx, ~kAmdMmx}, 1},
    {"AmdSse", {"AuthenticAMD", kMmx | kSse, 0}, 143},
    {"AmdSse2", {"AuthenticAMD", kMmx | kSse | kSse2, kAmdMmx}, 159},
    {"AmdSse2WithoutSse", {"AuthenticAMD", kSse2, 0}, 159},
    {"OtherVendor", {"CyrixInstead", kEverything, kEverything}, 0},
    {"IntelFirstByteOff", {"HenuineIntel", kEverything, kEverything}, 0},
    {"IntelLastByteOff", {"GenuineInteL", kEverything, kEverything}, 0},
    {"AmdFirstByteOff", {"ButhenticAMD", kEverything, kEverything}, 0},
    {"AmdMiddleByteOff", {"AuthenticBMD", kEverything, kEverything}, 0},
    {"InitialBufferText", {"VendorIsNone", kEverything, kEverything}, 0},
    {"RegistersInWrongOrder", {"GenuntelineI", kEverything, kEverything}, 0},
};

TEST(Classification, GivesTheClassOfTheTable) {
    for (const ClassificationCase& c : kCases) {
        ScopedFakeProcessor fake(c.processor);
        EXPECT_EQ(GetCpuClass(), c.expected) << c.name;
    }
}

TEST(Classification, AsksTheExtendedLeafOnlyForAmdWithMmxButNoSse) {
    struct Case {
        FakeProcessor processor;
        int queries;
    };
    const Case cases[] = {{{"AuthenticAMD", kMmx, 0}, 3},
                          {{"AuthenticAMD", kMmx | kSse, 0}, 2},
                          {{"GenuineIntel", kMmx, 0}, 2},
                          {{"CyrixInstead", kMmx, 0}, 1}};
    for (const Case& c : cases) {
        ScopedFakeProcessor fake(c.processor);
        GetCpuClass();
        EXPECT_EQ(ScopedFakeProcessor::Queries(), c.queries) << c.processor.vendor;
    }
}

TEST(Classification, RealProcessorGivesAClassOfTheTable) {
    const CpuClass cpuClass = GetCpuClass();
    EXPECT_TRUE(cpuClass == 0 || cpuClass == 1 || cpuClass == 2 || cpuClass == 3 ||
                cpuClass == 15 || cpuClass == 31 || cpuClass == 135 || cpuClass == 143 ||
                cpuClass == 159)
        << cpuClass;
    EXPECT_EQ(GetCpuClass(), cpuClass);
}

CpuidRegisters ExecuteIllegalInstruction(std::uint32_t) {
    __builtin_trap();
}

CpuidRegisters Throw(std::uint32_t) {
    throw std::runtime_error("no identification");
}

// Readers that fail the way a processor without the instruction, or a broken one, would.
TEST(Classification, FaultWhileClassifyingGivesZero) {
    for (CpuidReader reader : {ExecuteIllegalInstruction, Throw}) {
        SetCpuidReaderForTesting(reader);
        EXPECT_EQ(GetCpuClass(), 0);
    }
    SetCpuidReaderForTesting(nullptr);
}

}  // namespace
