// The main of every benchmark program: runs the registered benchmarks with the console
// output, then prints each result again as a ratio to memcpy of the same field size and
// memory situation.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// "PackYuy2Field_SSE2/720x576/incache" -> "720x576/incache".
std::string SizeAndMemory(const std::string& name) {
    const std::size_t last = name.rfind('/');
    const std::size_t size = last == std::string::npos ? last : name.rfind('/', last - 1);
    return size == std::string::npos ? name : name.substr(size + 1);
}

bool IsMemcpy(const std::string& name) {
    return name.rfind("memcpy/", 0) == 0;
}

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            results_.push_back({run.benchmark_name(), seconds});
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, double> memcpySeconds;
        for (const Result& result : results_) {
            if (IsMemcpy(result.name)) {
                memcpySeconds[SizeAndMemory(result.name)] = result.seconds;
            }
        }
        std::printf("\n%-60s %12s %10s\n", "Benchmark", "us/field", "x memcpy");
        for (const Result& result : results_) {
            const auto baseline = memcpySeconds.find(SizeAndMemory(result.name));
            if (baseline == memcpySeconds.end()) {
                std::printf("%-60s %12.1f %10s\n", result.name.c_str(), result.seconds * 1e6, "-");
            } else {
                std::printf("%-60s %12.1f %10.2f\n", result.name.c_str(), result.seconds * 1e6,
                            result.seconds / baseline->second);
            }
        }
    }

  private:
    struct Result {
        std::string name;
        double seconds;
    };
    std::vector<Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    RegisterMemcpyBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
