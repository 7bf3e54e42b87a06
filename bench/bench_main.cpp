// The main of every benchmark program: runs the registered benchmarks with the console
// output, then prints each result again as a ratio to memcpy of the same field size and
// memory situation (with --benchmark_repetitions, the medians of the repetitions). A benchmark
// that ended with an error makes the program fail.
#include <benchmark/benchmark.h>

#include <algorithm>
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
            failed_ = failed_ || run.error_occurred;
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
        for (const auto& [name, seconds] : MedianSeconds()) {
            if (IsMemcpy(name)) {
                memcpySeconds[SizeAndMemory(name)] = seconds;
            }
        }
        std::printf("\n%-60s %12s %10s\n", "Benchmark", "us/field", "x memcpy");
        for (const auto& [name, seconds] : MedianSeconds()) {
            const auto baseline = memcpySeconds.find(SizeAndMemory(name));
            if (baseline == memcpySeconds.end()) {
                std::printf("%-60s %12.1f %10s\n", name.c_str(), seconds * 1e6, "-");
            } else {
                std::printf("%-60s %12.1f %10.2f\n", name.c_str(), seconds * 1e6,
                            seconds / baseline->second);
            }
        }
    }

    bool Failed() const { return failed_; }

private:
    struct Result {
        std::string name;
        double seconds;
    };

    // Per benchmark, in the order they ran.
    std::vector<std::pair<std::string, double>> MedianSeconds() const {
        std::vector<std::pair<std::string, double>> medians;
        std::map<std::string, std::vector<double>> repetitions;
        for (const Result& result : results_) {
            std::vector<double>& seconds = repetitions[result.name];
            if (seconds.empty()) {
                medians.emplace_back(result.name, 0.0);
            }
            seconds.push_back(result.seconds);
        }
        for (auto& [name, median] : medians) {
            std::vector<double>& seconds = repetitions[name];
            std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
            median = seconds[seconds.size() / 2];
        }
        return medians;
    }

    std::vector<Result> results_;
    bool failed_ = false;
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
    return reporter.Failed() ? 1 : 0;
}
