#include "support/real_processor.h"

#include <cstdlib>

namespace {

constexpr const char* kClassVariable = "QLNU_EXPECTED_CPU_CLASS";
constexpr CpuClass kAmdVendor = 128;

// The class bits (1 MMX, 2 CMOV, 4 extended MMX, 8 SSE, 16 SSE2) that the processor reports to
// the compiler's check. SSE includes the extended MMX instructions; AMD's extensions without SSE
// are beyond what the compiler can tell, so such a processor is known by its named class alone.
CpuClass CompilerCapabilities() {
    return (__builtin_cpu_supports("mmx") ? 1 : 0) | (__builtin_cpu_supports("cmov") ? 2 : 0) |
           (__builtin_cpu_supports("sse") ? 4 | 8 : 0) | (__builtin_cpu_supports("sse2") ? 16 : 0);
}

CpuClass CompilerVendor() {
    return __builtin_cpu_is("amd") ? kAmdVendor : 0;
}

// Why the processor lacks `what`, beginning with "QLNU_EXPECTED_CPU_CLASS=<class>" where the run
// names the class.
std::string Reason(const std::string& what) {
    const char* named = std::getenv(kClassVariable);
    if (named == nullptr) {
        return std::string("the processor lacks ") + what + ", and no " + kClassVariable +
               " names its class";
    }
    return std::string(kClassVariable) + "=" + named + ": the processor lacks " + what;
}

}  // namespace

CpuClass ExpectedCpuClass() {
    if (const char* named = std::getenv(kClassVariable)) {
        return std::atoi(named);
    }
    if (!__builtin_cpu_is("intel") && !__builtin_cpu_is("amd")) {
        return 0;
    }
    return CompilerVendor() | CompilerCapabilities();
}

bool ProcessorRunsAvx2() {
    return __builtin_cpu_supports("avx2");
}

std::string WhyProcessorCannotRun(CpuClass cpuClass) {
    const char* named = std::getenv(kClassVariable);
    const CpuClass capabilities = named != nullptr ? std::atoi(named) : CompilerCapabilities();
    if ((cpuClass & ~kAmdVendor & ~capabilities) == 0) {
        return {};
    }
    return Reason("the instructions of class " + std::to_string(cpuClass));
}

std::string WhyProcessorCannotRunAvx2() {
    return ProcessorRunsAvx2() ? std::string() : Reason("AVX2");
}
