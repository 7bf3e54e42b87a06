// The RGB encoders and the RGB decoder in every variant, on fields of 720 x 576 and
// 1920 x 1088 pictures (720 x 288 and 1920 x 544 pixels), beside memcpy of the RGB-side bytes
// and the fastest equivalents of libyuv and libswscale. Each is measured on one picture that
// stays in cache and on pictures rotating through a pool larger than the last-level cache.
// After the run every result is printed again as a ratio to memcpy, and the SSE2 variants as
// ratios to libyuv, against the targets. Times are the thread's processor time, so that other
// work on a shared machine does not count.
//
// --smoke: a tiny pool and a minimal measuring time, to check that everything runs.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <unistd.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"
#include "convert/yuv_to_rgb_coefficients.h"

namespace {

struct FieldSize {
    int width, rows;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(rows); }
};

constexpr FieldSize kFieldSizes[] = {{720, 288}, {1920, 544}};

enum class Operation { EncodeRgb24, EncodeRgb32, DecodeRgb24 };

struct OperationInfo {
    const char* name;
    int sourceBytesPerPixel, destinationBytesPerPixel;
};

OperationInfo InfoOf(Operation operation) {
    switch (operation) {
        case Operation::EncodeRgb24:
            return {"EncodeRgb24Field", 3, 2};
        case Operation::EncodeRgb32:
            return {"EncodeRgb32Field", 4, 2};
        case Operation::DecodeRgb24:
            break;
    }
    return {"DecodeRgb24Field", 2, 3};
}

bool gSmoke = false;

// One arena for the rotating benchmarks: twice the last-level cache (at least 64 MiB, at
// most 1 GiB), cut into slots of one source and one destination each.
class Arena {
  public:
    static Arena& Instance() {
        static Arena arena;
        return arena;
    }
    BYTE* data() { return bytes_.get(); }
    std::size_t size() const { return size_; }

  private:
    Arena() {
        const long reported = sysconf(_SC_LEVEL3_CACHE_SIZE);
        const std::size_t llc = reported > 0 ? static_cast<std::size_t>(reported) : 32u << 20;
        size_ = gSmoke ? 16u << 20 : std::clamp<std::size_t>(2 * llc, 64u << 20, 1u << 30);
        bytes_.reset(new BYTE[size_]);
        for (std::size_t i = 0; i < size_; ++i) {
            bytes_[i] = static_cast<BYTE>((i * 2654435761u) >> 13);
        }
    }
    std::unique_ptr<BYTE[]> bytes_;
    std::size_t size_ = 0;
};

// Where each iteration reads and writes: always the same slot, or the next slot of the arena.
class Buffers {
  public:
    Buffers(std::size_t sourceBytes, std::size_t destinationBytes, bool rotate)
        : sourceBytes_(sourceBytes),
          slotBytes_((sourceBytes + destinationBytes + 4095) / 4096 * 4096) {
        if (rotate) {
            base_ = Arena::Instance().data();
            slots_ = Arena::Instance().size() / slotBytes_;
        } else {
            own_.assign(slotBytes_ + 64, 0x5A);
            base_ = own_.data() + (64 - reinterpret_cast<UINT_PTR>(own_.data()) % 64) % 64;
            slots_ = 1;
        }
    }
    void Next() { slot_ = (slot_ + 1) % slots_; }
    BYTE* Source() const { return base_ + slot_ * slotBytes_; }
    BYTE* Destination() const { return Source() + (sourceBytes_ + 63) / 64 * 64; }

  private:
    std::size_t sourceBytes_, slotBytes_;
    std::vector<BYTE> own_;
    BYTE* base_ = nullptr;
    std::size_t slots_ = 1, slot_ = 0;
};

// (destination, source) for one field; sizes and orientation are bound in.
using FieldConversion = std::function<void(BYTE* destination, const BYTE* source)>;

void UseTableLayout(TableLayout layout) {
    gRgbToYuvTable.ResetForTesting();
    gYuvToRgbTable.ResetForTesting();
    gRgbToYuvTable.PublishOnce([layout](BYTE* entries) { FillRgbToYuvTable(entries, layout); });
    gYuvToRgbTable.PublishOnce([layout](BYTE* entries) { FillYuvToRgbTable(entries, layout); });
}

struct Variant {
    const char* name;
    TableLayout layout;
    FieldKernel encodeRgb24, encodeRgb32, decodeRgb24;
};

const Variant kVariants[] = {
    {"C", TableLayout::None, EncodeRgb24Field_C, EncodeRgb32Field_C, DecodeRgb24Field_ExtendedC},
    {"MMX", TableLayout::Narrow, EncodeRgb24Field_MMX, EncodeRgb32Field_MMX, DecodeRgb24Field_MMX},
    {"SSE", TableLayout::Extended, EncodeRgb24Field_SSE, EncodeRgb32Field_SSE,
     DecodeRgb24Field_SSE},
    {"SSE2", TableLayout::Wide16, EncodeRgb24Field_SSE2, EncodeRgb32Field_SSE2,
     DecodeRgb24Field_SSE2},
    {"AMD", TableLayout::Extended, EncodeRgb24Field_AMD, EncodeRgb32Field_AMD,
     DecodeRgb24Field_AMD},
};

FieldKernel KernelOf(const Variant& variant, Operation operation) {
    switch (operation) {
        case Operation::EncodeRgb24:
            return variant.encodeRgb24;
        case Operation::EncodeRgb32:
            return variant.encodeRgb32;
        case Operation::DecodeRgb24:
            break;
    }
    return variant.decodeRgb24;
}

void Register(const std::string& name, std::size_t sourceBytes, std::size_t destinationBytes,
              bool rotate, std::function<void()> prepare, FieldConversion convert) {
    auto* benchmark = benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        prepare();
        Buffers buffers(sourceBytes, destinationBytes, rotate);
        for (auto _ : state) {
            convert(buffers.Destination(), buffers.Source());
            benchmark::ClobberMemory();
            buffers.Next();
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                                static_cast<int64_t>(std::max(sourceBytes, destinationBytes)));
    });
    benchmark->Unit(benchmark::kMicrosecond);
    if (gSmoke) {
        benchmark->MinTime(1e-4);
    }
}

// libyuv's two calls for RGB24 to UYVY, through an ARGB picture, flipping as the encoder does.
FieldConversion LibyuvEncodeRgb24(FieldSize s) {
    auto argb = std::make_shared<std::vector<BYTE>>(static_cast<std::size_t>(4) * s.width * s.rows);
    return [s, argb](BYTE* destination, const BYTE* source) {
        libyuv::RGB24ToARGB(source, 3 * s.width, argb->data(), 4 * s.width, s.width, -s.rows);
        libyuv::ARGBToUYVY(argb->data(), 4 * s.width, destination, 2 * s.width, s.width, s.rows);
    };
}

FieldConversion LibyuvEncodeRgb32(FieldSize s) {
    return [s](BYTE* destination, const BYTE* source) {
        libyuv::ARGBToUYVY(source, 4 * s.width, destination, 2 * s.width, s.width, -s.rows);
    };
}

FieldConversion LibyuvDecodeRgb24(FieldSize s) {
    auto argb = std::make_shared<std::vector<BYTE>>(static_cast<std::size_t>(4) * s.width * s.rows);
    return [s, argb](BYTE* destination, const BYTE* source) {
        libyuv::UYVYToARGB(source, 2 * s.width, argb->data(), 4 * s.width, s.width, s.rows);
        libyuv::ARGBToRGB24(argb->data(), 4 * s.width, destination, 3 * s.width, s.width, -s.rows);
    };
}

// libswscale at its fastest (nearest-neighbour flag: no scaling happens anyway); the RGB side
// is walked with a negative stride to flip the rows.
FieldConversion Swscale(FieldSize s, AVPixelFormat from, AVPixelFormat to, int fromBytes,
                        int toBytes, bool flipSource) {
    std::shared_ptr<SwsContext> context(sws_getContext(s.width, s.rows, from, s.width, s.rows, to,
                                                       SWS_POINT, nullptr, nullptr, nullptr),
                                        sws_freeContext);
    return [=](BYTE* destination, const BYTE* source) {
        const int sourceStride = fromBytes * s.width;
        const int destinationStride = toBytes * s.width;
        const BYTE* sourcePlane = flipSource ? source + (s.rows - 1) * sourceStride : source;
        BYTE* destinationPlane =
            flipSource ? destination : destination + (s.rows - 1) * destinationStride;
        const int sourceStrides[] = {flipSource ? -sourceStride : sourceStride};
        const int destinationStrides[] = {flipSource ? destinationStride : -destinationStride};
        sws_scale(context.get(), &sourcePlane, sourceStrides, 0, s.rows, &destinationPlane,
                  destinationStrides);
    };
}

FieldConversion LibraryConversion(bool libyuv, Operation operation, FieldSize s) {
    switch (operation) {
        case Operation::EncodeRgb24:
            return libyuv ? LibyuvEncodeRgb24(s)
                          : Swscale(s, AV_PIX_FMT_BGR24, AV_PIX_FMT_UYVY422, 3, 2, true);
        case Operation::EncodeRgb32:
            return libyuv ? LibyuvEncodeRgb32(s)
                          : Swscale(s, AV_PIX_FMT_BGRA, AV_PIX_FMT_UYVY422, 4, 2, true);
        case Operation::DecodeRgb24:
            break;
    }
    return libyuv ? LibyuvDecodeRgb24(s)
                  : Swscale(s, AV_PIX_FMT_UYVY422, AV_PIX_FMT_BGR24, 2, 3, false);
}

const char* LibyuvName(Operation operation) {
    switch (operation) {
        case Operation::EncodeRgb24:
            return "Libyuv(RGB24ToARGB+ARGBToUYVY)";
        case Operation::EncodeRgb32:
            return "Libyuv(ARGBToUYVY)";
        case Operation::DecodeRgb24:
            break;
    }
    return "Libyuv(UYVYToARGB+ARGBToRGB24)";
}

std::string Suffix(FieldSize s, bool rotate) {
    return "/" + s.Name() + (rotate ? "/Rotating" : "/InCache");
}

void RegisterAll() {
    const Operation operations[] = {Operation::EncodeRgb24, Operation::EncodeRgb32,
                                    Operation::DecodeRgb24};
    for (const FieldSize& s : kFieldSizes) {
        for (bool rotate : {false, true}) {
            const std::string suffix = Suffix(s, rotate);
            const std::size_t pixels = static_cast<std::size_t>(s.width) * s.rows;
            for (int bytesPerPixel : {3, 4}) {
                const std::size_t bytes = bytesPerPixel * pixels;
                Register(
                    std::string("Memcpy/Rgb") + (bytesPerPixel == 3 ? "24" : "32") + "Bytes" +
                        suffix,
                    bytes, bytes, rotate, [] {},
                    [bytes](BYTE* d, const BYTE* s) { std::memcpy(d, s, bytes); });
            }
            for (Operation operation : operations) {
                const OperationInfo info = InfoOf(operation);
                const std::size_t in = info.sourceBytesPerPixel * pixels;
                const std::size_t out = info.destinationBytesPerPixel * pixels;
                for (const Variant& variant : kVariants) {
                    const FieldKernel kernel = KernelOf(variant, operation);
                    const TableLayout layout = variant.layout;
                    Register(
                        std::string(info.name) + "/" + variant.name + suffix, in, out, rotate,
                        [layout] {
                            if (layout != TableLayout::None) {
                                UseTableLayout(layout);
                            }
                        },
                        [kernel, s, info](BYTE* d, const BYTE* src) {
                            kernel(d, src, s.width, s.rows, info.destinationBytesPerPixel * s.width,
                                   info.sourceBytesPerPixel * s.width);
                        });
                }
                for (bool libyuv : {true, false}) {
                    Register(
                        std::string(info.name) + "/" +
                            (libyuv ? LibyuvName(operation) : "Swscale") + suffix,
                        in, out, rotate, [] {}, LibraryConversion(libyuv, operation, s));
                }
            }
        }
    }
}

// A benchmark's name without the minimum time the library appends.
std::string BaseName(const std::string& name) {
    return name.substr(0, name.find("/min_time:"));
}

// Keeps every result's time per iteration for the ratio tables.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            times_[BaseName(run.benchmark_name())] = run.GetAdjustedCPUTime();
        }
    }
    const std::map<std::string, double>& times() const { return times_; }

  private:
    std::map<std::string, double> times_;
};

void PrintMemcpyRatios(const std::map<std::string, double>& times) {
    std::printf("\nRatio to memcpy of the RGB-side bytes (same size, same cache situation)\n");
    for (const auto& [name, time] : times) {
        if (name.rfind("Memcpy", 0) == 0) {
            continue;
        }
        const std::string operation = name.substr(0, name.find('/'));
        const std::string suffix = name.substr(name.find('/', name.find('/') + 1));
        const char* memcpyName =
            operation == "EncodeRgb32Field" ? "Memcpy/Rgb32Bytes" : "Memcpy/Rgb24Bytes";
        const auto memcpyTime = times.find(memcpyName + suffix);
        if (memcpyTime != times.end()) {
            std::printf("  %-60s %8.2f x\n", name.c_str(), time / memcpyTime->second);
        }
    }
}

void PrintTargets(const std::map<std::string, double>& times) {
    struct Target {
        Operation operation;
        double limit;
    };
    const Target targets[] = {{Operation::EncodeRgb24, 0.7},
                              {Operation::EncodeRgb32, 1.2},
                              {Operation::DecodeRgb24, 1.0}};
    std::printf("\nSSE2 variant against libyuv (target: at most the limit)\n");
    std::printf("  %-18s %-22s %7s %7s %7s\n", "operation", "field", "ratio", "limit", "");
    for (const Target& target : targets) {
        const OperationInfo info = InfoOf(target.operation);
        for (const FieldSize& s : kFieldSizes) {
            for (bool rotate : {false, true}) {
                const std::string suffix = Suffix(s, rotate);
                const auto ours = times.find(std::string(info.name) + "/SSE2" + suffix);
                const auto theirs = times.find(std::string(info.name) + "/" +
                                               LibyuvName(target.operation) + suffix);
                if (ours == times.end() || theirs == times.end()) {
                    continue;
                }
                const double ratio = ours->second / theirs->second;
                std::printf("  %-18s %-22s %7.2f %7.2f %7s\n", info.name, suffix.c_str() + 1, ratio,
                            target.limit, ratio <= target.limit ? "met" : "MISSED");
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            gSmoke = true;
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    RegisterAll();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintMemcpyRatios(reporter.times());
    PrintTargets(reporter.times());
    benchmark::Shutdown();
    return 0;
}
