// Whole frame messages, ICM_COMPRESS from every input format and ICM_DECOMPRESS to every
// output format, sent through DriverProc as a host sends them, on 720 x 576 and 1920 x 1088
// pictures, with the field worker (two processors) and without it (one), beside memcpy of the
// frame's bytes. Each is measured on one picture that stays in cache and on pictures rotating
// through a pool larger than the last-level cache. Times are wall-clock times, since the field
// worker's thread works for the frame too. After the run the results are printed again as
// ratios to memcpy and as the speed-up of the worker, against the targets, and beside libyuv's
// nearest calls on the whole picture where it has them (what a host would use instead).
//
// Nothing is timed that does not do its work: each benchmark first checks that one frame
// message of its kind fills every line it should, and any message answering other than
// ICERR_OK ends the benchmark with an error, which makes the program fail.
//
// --smoke: a small pool and a minimal measuring time, to check that everything runs.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/driver_proc.h"
#include "driver/process.h"
#include "picture_layouts.h"
#include "platform/code_module.h"
#include "platform/processors.h"

namespace {

struct PictureSize {
    LONG width, height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
    std::size_t FrameBytes() const { return 2 * static_cast<std::size_t>(width) * height + 20; }
};

constexpr PictureSize kSizes[] = {{720, 576}, {1920, 1088}};
constexpr DWORD kProcessorCounts[] = {1, 2};

bool gSmoke = false;

// One slot of the pool: an uncompressed picture and a frame, each on its own pages.
struct Slot {
    BYTE* picture;
    BYTE* frame;
};

// The memory the rotating benchmarks walk through: twice the last-level cache (at least
// 64 MiB, at most 512 MiB), made once for the whole run.
class Arena {
public:
    static Arena& Instance() {
        static Arena arena;
        return arena;
    }
    BYTE* data() const { return base_; }
    std::size_t size() const { return size_; }

private:
    Arena() {
        const long reported = sysconf(_SC_LEVEL3_CACHE_SIZE);
        const std::size_t llc = reported > 0 ? static_cast<std::size_t>(reported) : 32u << 20;
        size_ = gSmoke ? 16u << 20 : std::clamp<std::size_t>(2 * llc, 64u << 20, 512u << 20);
        bytes_.reset(new BYTE[size_ + 4096]);
        base_ = bytes_.get() + (4096 - reinterpret_cast<UINT_PTR>(bytes_.get()) % 4096) % 4096;
        for (std::size_t i = 0; i < size_; ++i) {
            base_[i] = static_cast<BYTE>((i * 2654435761u) >> 13);
        }
    }
    std::unique_ptr<BYTE[]> bytes_;
    BYTE* base_ = nullptr;
    std::size_t size_ = 0;
};

// Where each iteration reads and writes: always the same slot, or the next slot of the arena.
class Pool {
public:
    Pool(std::size_t pictureBytes, std::size_t frameBytes, bool rotate)
        : frameOffset_(PageRounded(pictureBytes)),
          slotBytes_(frameOffset_ + PageRounded(frameBytes)) {
        if (rotate && Arena::Instance().size() >= 2 * slotBytes_) {
            base_ = Arena::Instance().data();
            slots_ = Arena::Instance().size() / slotBytes_;
        } else {
            own_.reset(new BYTE[slotBytes_ + 4096]());
            base_ = own_.get() + (4096 - reinterpret_cast<UINT_PTR>(own_.get()) % 4096) % 4096;
        }
    }

    std::size_t Slots() const { return slots_; }
    Slot At(std::size_t index) const {
        BYTE* start = base_ + index * slotBytes_;
        return {start, start + frameOffset_};
    }
    Slot Next() {
        current_ = (current_ + 1) % slots_;
        return At(current_);
    }

private:
    static std::size_t PageRounded(std::size_t bytes) { return (bytes + 4095) / 4096 * 4096; }

    std::size_t frameOffset_, slotBytes_;
    std::size_t slots_ = 1, current_ = 0;
    std::unique_ptr<BYTE[]> own_;
    BYTE* base_ = nullptr;
};

// The driver attached to this process with one open instance, as a host has it.
class Driver {
public:
    static Driver& Instance() {
        static Driver driver;
        return driver;
    }
    LRESULT Send(UINT message, LPARAM l1 = 0, LPARAM l2 = 0) const {
        return DriverProc(id_, nullptr, message, l1, l2);
    }
    template <typename T>
    static LPARAM Parameter(T* pointer) {
        return reinterpret_cast<LPARAM>(pointer);
    }

private:
    Driver() {
        ProcessAttach(CodeModule());
        static ICINFO openParameters{};
        id_ = static_cast<DWORD_PTR>(
            DriverProc(0, nullptr, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&openParameters)));
    }
    DWORD_PTR id_ = 0;
};

LRESULT Compress(const BITMAPINFOHEADER& input, const Slot& slot) {
    BITMAPINFOHEADER in = input;
    BITMAPINFOHEADER out = QlnuHeader(input.biWidth, input.biHeight);
    DWORD chunkId = 0, flags = 0;
    ICCOMPRESS request{};
    request.lpbiOutput = &out;
    request.lpOutput = slot.frame;
    request.lpbiInput = &in;
    request.lpInput = slot.picture;
    request.lpckid = &chunkId;
    request.lpdwFlags = &flags;
    return Driver::Instance().Send(ICM_COMPRESS, Driver::Parameter(&request), sizeof request);
}

LRESULT Decompress(const BITMAPINFOHEADER& output, const Slot& slot) {
    BITMAPINFOHEADER in = QlnuHeader(output.biWidth, output.biHeight);
    BITMAPINFOHEADER out = output;
    ICDECOMPRESS request{};
    request.lpbiInput = &in;
    request.lpInput = slot.frame;
    request.lpbiOutput = &out;
    request.lpOutput = slot.picture;
    return Driver::Instance().Send(ICM_DECOMPRESS, Driver::Parameter(&request), sizeof request);
}

// What the checks fill a buffer with before a frame message: no line of a picture or a field
// that the message wrote consists of it alone.
constexpr BYTE kUnwritten = 0xCD;

// True if none of the `lines` lines of `lineBytes` bytes at `first` is kUnwritten throughout.
bool EveryLineWritten(const BYTE* first, std::size_t lineBytes, LONG lines) {
    const std::vector<BYTE> unwritten(lineBytes, kUnwritten);
    for (LONG line = 0; line < lines; ++line) {
        if (std::memcmp(first + line * lineBytes, unwritten.data(), lineBytes) == 0) {
            return false;
        }
    }
    return true;
}

DWORD WordAt(const BYTE* at) {
    DWORD word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// One untimed frame into a frame buffer filled with kUnwritten: the magic, two field records
// of w x h bytes and every line of both fields.
bool CompressesAWholeFrame(const BITMAPINFOHEADER& input, const Slot& slot) {
    const std::size_t fieldBytes = static_cast<std::size_t>(input.biWidth) * input.biHeight;
    std::memset(slot.frame, kUnwritten, 2 * fieldBytes + 20);
    const BYTE* second = slot.frame + 12 + fieldBytes;
    return Compress(input, slot) == ICERR_OK && std::memcmp(slot.frame, "QLN1", 4) == 0 &&
           WordAt(slot.frame + 8) == fieldBytes && WordAt(second + 4) == fieldBytes &&
           EveryLineWritten(slot.frame + 12, 2 * input.biWidth, input.biHeight / 2) &&
           EveryLineWritten(second + 8, 2 * input.biWidth, input.biHeight / 2);
}

// One untimed frame into a picture filled with kUnwritten: every line of it.
bool DecompressesAWholePicture(const BITMAPINFOHEADER& output, const Slot& slot) {
    std::memset(slot.picture, kUnwritten, output.biSizeImage);
    return Decompress(output, slot) == ICERR_OK &&
           EveryLineWritten(slot.picture, output.biSizeImage / output.biHeight, output.biHeight);
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMicrosecond)->UseRealTime();
    if (gSmoke) {
        benchmark->MinTime(1e-4);
    }
    return benchmark;
}

std::string Suffix(const PictureSize& size, bool rotate) {
    return "/" + size.Name() + (rotate ? "/Rotating" : "/InCache");
}

std::string Processors(DWORD count) {
    return "/" + std::to_string(count) + "cpu";
}

void RegisterMemcpy(const PictureSize& size, bool rotate) {
    Configure(benchmark::RegisterBenchmark(("Memcpy/Frame" + Suffix(size, rotate)).c_str(),
                                           [=](benchmark::State& state) {
                                               const std::size_t bytes = size.FrameBytes();
                                               Pool pool(bytes, bytes, rotate);
                                               for (auto _ : state) {
                                                   const Slot slot = pool.Next();
                                                   std::memcpy(slot.frame, slot.picture, bytes);
                                                   benchmark::ClobberMemory();
                                               }
                                           }));
}

void RegisterCompress(const PictureFormat& format, const PictureSize& size, DWORD processors,
                      bool rotate) {
    const std::string name =
        std::string("Compress/") + format.name + Suffix(size, rotate) + Processors(processors);
    Configure(benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const BITMAPINFOHEADER input = UncompressedHeader(format, size.width, size.height);
        Pool pool(input.biSizeImage, size.FrameBytes(), rotate);
        SetProcessorCountForTesting(processors);
        BITMAPINFOHEADER in = input;
        BITMAPINFOHEADER out = QlnuHeader(size.width, size.height);
        if (Driver::Instance().Send(ICM_COMPRESS_BEGIN, Driver::Parameter(&in),
                                    Driver::Parameter(&out)) != ICERR_OK) {
            state.SkipWithError("ICM_COMPRESS_BEGIN refused");
            return;
        }
        if (!CompressesAWholeFrame(input, pool.At(0))) {
            state.SkipWithError("ICM_COMPRESS left the frame unfinished");
        }
        for (auto _ : state) {
            if (Compress(input, pool.Next()) != ICERR_OK) {
                state.SkipWithError("ICM_COMPRESS refused");
                break;
            }
            benchmark::ClobberMemory();
        }
        if (Driver::Instance().Send(ICM_COMPRESS_END) != ICERR_OK) {
            state.SkipWithError("ICM_COMPRESS_END refused");
        }
    }));
}

void RegisterDecompress(const PictureFormat& format, const PictureSize& size, DWORD processors,
                        bool rotate) {
    const std::string name =
        std::string("Decompress/") + format.name + Suffix(size, rotate) + Processors(processors);
    Configure(benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const BITMAPINFOHEADER output = UncompressedHeader(format, size.width, size.height);
        const BITMAPINFOHEADER uyvy = UncompressedHeader(kUyvy, size.width, size.height);
        Pool pool(std::max<std::size_t>(output.biSizeImage, uyvy.biSizeImage), size.FrameBytes(),
                  rotate);
        SetProcessorCountForTesting(processors);
        // Every slot holds a real frame: each picture compressed into its slot.
        BITMAPINFOHEADER in = uyvy;
        BITMAPINFOHEADER qlnu = QlnuHeader(size.width, size.height);
        bool answered = Driver::Instance().Send(ICM_COMPRESS_BEGIN, Driver::Parameter(&in),
                                                Driver::Parameter(&qlnu)) == ICERR_OK;
        for (std::size_t slot = 0; slot < pool.Slots() && answered; ++slot) {
            answered = Compress(uyvy, pool.At(slot)) == ICERR_OK;
        }
        BITMAPINFOHEADER out = output;
        if (!answered || Driver::Instance().Send(ICM_COMPRESS_END) != ICERR_OK ||
            Driver::Instance().Send(ICM_DECOMPRESS_BEGIN, Driver::Parameter(&qlnu),
                                    Driver::Parameter(&out)) != ICERR_OK) {
            state.SkipWithError("the frames to decompress were refused");
            return;
        }
        if (!DecompressesAWholePicture(output, pool.At(0))) {
            state.SkipWithError("ICM_DECOMPRESS left the picture unfinished");
        }
        for (auto _ : state) {
            if (Decompress(output, pool.Next()) != ICERR_OK) {
                state.SkipWithError("ICM_DECOMPRESS refused");
                break;
            }
            benchmark::ClobberMemory();
        }
        if (Driver::Instance().Send(ICM_DECOMPRESS_END) != ICERR_OK) {
            state.SkipWithError("ICM_DECOMPRESS_END refused");
        }
    }));
}

// libyuv's nearest call for a frame message, from `in` to `out` through `scratch` (a picture
// of 4 bytes a pixel) where it takes two steps; false if libyuv refused.
using LibyuvWork = bool (*)(const BYTE* in, BYTE* out, BYTE* scratch, int width, int height);

struct LibyuvPath {
    const char* message;
    LibyuvWork work;
};

bool Rgb24ToUyvy(const BYTE* in, BYTE* out, BYTE* scratch, int w, int h) {
    return libyuv::RGB24ToARGB(in, 3 * w, scratch, 4 * w, w, h) == 0 &&
           libyuv::ARGBToUYVY(scratch, 4 * w, out, 2 * w, w, h) == 0;
}
bool Rgb32ToUyvy(const BYTE* in, BYTE* out, BYTE*, int w, int h) {
    return libyuv::ARGBToUYVY(in, 4 * w, out, 2 * w, w, h) == 0;
}
bool UyvyToRgb24(const BYTE* in, BYTE* out, BYTE* scratch, int w, int h) {
    return libyuv::UYVYToARGB(in, 2 * w, scratch, 4 * w, w, h) == 0 &&
           libyuv::ARGBToRGB24(scratch, 4 * w, out, 3 * w, w, h) == 0;
}

// Packed 4:2:2 layouts are reordered in one pass by libyuv's shuffle of four-byte groups,
// given as the source byte of each destination byte.
template <uint8_t... kOrder>
bool Shuffle(const BYTE* in, BYTE* out, BYTE*, int w, int h) {
    static constexpr uint8_t kGroup[4] = {kOrder...};
    static constexpr auto kShuffler = [] {
        std::array<uint8_t, 16> shuffler{};
        for (int i = 0; i < 16; ++i) {
            shuffler[i] = static_cast<uint8_t>(i / 4 * 4 + kGroup[i % 4]);
        }
        return shuffler;
    }();
    return libyuv::ARGBShuffle(in, 2 * w, out, 2 * w, kShuffler.data(), w / 2, h) == 0;
}

constexpr LibyuvPath kLibyuvPaths[] = {
    {"Compress/Rgb24", Rgb24ToUyvy},          {"Compress/Rgb32", Rgb32ToUyvy},
    {"Compress/Yuy2", Shuffle<1, 0, 3, 2>},   {"Compress/Yvyu", Shuffle<3, 0, 1, 2>},
    {"Decompress/Rgb24", UyvyToRgb24},        {"Decompress/Yuy2", Shuffle<1, 0, 3, 2>},
    {"Decompress/Yvyu", Shuffle<1, 2, 3, 0>},
};

void RegisterLibyuv(const LibyuvPath& path, const PictureSize& size, bool rotate) {
    const std::string name = std::string("Libyuv/") + path.message + Suffix(size, rotate);
    Configure(benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
        const std::size_t pictureBytes = 4 * static_cast<std::size_t>(size.width) * size.height;
        Pool pool(pictureBytes, size.FrameBytes(), rotate);
        std::vector<BYTE> scratch(pictureBytes);
        const bool compress = std::strncmp(path.message, "Compress", 8) == 0;
        for (auto _ : state) {
            const Slot slot = pool.Next();
            if (!path.work(compress ? slot.picture : slot.frame,
                           compress ? slot.frame : slot.picture, scratch.data(), size.width,
                           size.height)) {
                state.SkipWithError("libyuv refused");
                break;
            }
            benchmark::ClobberMemory();
        }
    }));
}

void RegisterAll() {
    for (const PictureSize& size : kSizes) {
        for (bool rotate : {false, true}) {
            RegisterMemcpy(size, rotate);
            for (const LibyuvPath& path : kLibyuvPaths) {
                RegisterLibyuv(path, size, rotate);
            }
            for (DWORD processors : kProcessorCounts) {
                for (const PictureFormat& format : kInputFormats) {
                    RegisterCompress(format, size, processors, rotate);
                }
                for (const PictureFormat& format : kOutputFormats) {
                    RegisterDecompress(format, size, processors, rotate);
                }
            }
        }
    }
}

// A benchmark's name without what the library appends.
std::string BaseName(const std::string& name) {
    std::string base = name.substr(0, name.find("/min_time:"));
    return base.substr(0, base.find("/real_time"));
}

// Keeps every result's wall-clock time per iteration for the ratio tables.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            failed_ = failed_ || run.error_occurred;
            if (!run.error_occurred) {
                times_[BaseName(run.benchmark_name())] = run.GetAdjustedRealTime();
            }
        }
    }
    const std::map<std::string, double>& times() const { return times_; }
    bool Failed() const { return failed_; }

private:
    std::map<std::string, double> times_;
    bool failed_ = false;
};

// What a frame message is held to: packed YUV a limit on its time as a multiple of memcpy's
// (1.3), RGB a speed-up of at least 1.6 from the field worker. Any message that the worker
// makes slower than one processor does is marked as well.
struct Target {
    double memcpyLimit;  // 0 for a speed-up target
    std::string Text() const {
        char text[16];
        std::snprintf(text, sizeof text, memcpyLimit > 0 ? "<= %.1f x" : ">= 1.6 up", memcpyLimit);
        return text;
    }
    bool MetBy(double oneRatio, double twoRatio, double speedUp) const {
        return memcpyLimit > 0 ? std::min(oneRatio, twoRatio) <= memcpyLimit : speedUp >= 1.6;
    }
};

Target TargetOf(const PictureFormat& format) {
    if (IsRgb(format)) {
        return {0};
    }
    return {1.3};
}

void PrintRatioRow(const std::map<std::string, double>& times, const std::string& name,
                   double memcpyTime, const Target& target) {
    const auto one = times.find(name + "/1cpu");
    const auto two = times.find(name + "/2cpu");
    if (one == times.end() || two == times.end()) {
        return;
    }
    const double oneRatio = one->second / memcpyTime;
    const double twoRatio = two->second / memcpyTime;
    const double speedUp = one->second / two->second;
    const auto libyuv = times.find("Libyuv/" + name);
    char besideLibyuv[16] = "-";
    if (libyuv != times.end()) {
        std::snprintf(besideLibyuv, sizeof besideLibyuv, "%.2f", two->second / libyuv->second);
    }
    std::printf("%-36s %7.2f %7.2f %8.2f %8s %10s  %s%s\n", name.c_str(), oneRatio, twoRatio,
                speedUp, besideLibyuv, target.Text().c_str(),
                target.MetBy(oneRatio, twoRatio, speedUp) ? "met" : "MISSED",
                speedUp < 1.0 ? ", SLOWER with the worker" : "");
}

void PrintRatios(const std::map<std::string, double>& times) {
    std::printf(
        "\nTime as a multiple of memcpy of the frame, with one and two processors, and the\n"
        "time with two as a multiple of libyuv's nearest calls on the whole picture\n");
    std::printf("%-36s %7s %7s %8s %8s %10s\n", "frame message", "1 cpu", "2 cpu", "speed-up",
                "x libyuv", "target");
    for (const std::string direction : {"Compress", "Decompress"}) {
        const auto& formats = direction == "Compress" ? kInputFormats : kOutputFormats;
        for (const PictureSize& size : kSizes) {
            for (bool rotate : {false, true}) {
                const std::string suffix = Suffix(size, rotate);
                const auto memcpyTime = times.find("Memcpy/Frame" + suffix);
                if (memcpyTime == times.end()) {
                    continue;
                }
                for (const PictureFormat& format : formats) {
                    PrintRatioRow(times, direction + "/" + format.name + suffix, memcpyTime->second,
                                  TargetOf(format));
                }
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
    PrintRatios(reporter.times());
    benchmark::Shutdown();
    return reporter.Failed() ? 1 : 0;
}
