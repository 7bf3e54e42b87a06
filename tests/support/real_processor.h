// What the processor running the tests is and can execute, told by sources the driver has no
// part in: the compiler's run-time processor checks (__builtin_cpu_is, __builtin_cpu_supports)
// and, for an emulated processor, the class that its run names in QLNU_EXPECTED_CPU_CLASS.
// Which kernel tests run is decided here, never by the driver's own reading of CPUID.
#pragma once

#include <string>

#include "convert/cpu_class.h"

// The class GetCpuClass must give here: the one QLNU_EXPECTED_CPU_CLASS names where it is set,
// otherwise the one of the vendor and capabilities that the compiler's check reports: on x86-64,
// where every processor has SSE2, 31 for Intel, 159 for AMD and 0 for any other vendor.
CpuClass ExpectedCpuClass();

// True if the processor and the operating system run AVX2 code.
bool ProcessorRunsAvx2();

// Why the processor cannot run the variants that `cpuClass` binds (the vendor aside), or empty
// when it can. A reason begins with the environment variable that states it, as a skip must;
// one that cannot name a variable fails the test that skips for it (test_main.cpp).
std::string WhyProcessorCannotRun(CpuClass cpuClass);
// The same for the AVX2 variants.
std::string WhyProcessorCannotRunAvx2();
