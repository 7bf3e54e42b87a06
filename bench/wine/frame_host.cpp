// Frame messages as a Windows host sends them, through msvfw32's ICCompress and ICDecompress:
// from every input format and to every output format, at 720 x 576 and 1920 x 1088, with
// frames rotating through memory larger than the processor's caches, with the field worker
// and without it, beside memcpy of the frame's bytes over the same memory. Built in both Windows
// builds and run by scripts/bench-wine, each under its own Wine (32-bit wine, wine64), beside
// its driver; prints microseconds per frame and ratios.
//
// Without the worker: the driver asks GetSystemInfo how many processors there are, so the
// program answers that question for the driver with one processor (through the driver's
// import table), which is what a one-processor machine tells it.
//
//   frame_host [--smoke] [FILTER]   --smoke: a small pool and few frames, to check that it runs;
//                                   FILTER: only the rows whose name holds it, e.g. 720x576
#include <windows.h>
// windows.h must come first.
#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "picture_layouts.h"

namespace {

struct PictureSize {
    LONG width, height;
    DWORD FrameBytes() const { return 2 * static_cast<DWORD>(width) * height + 20; }
};

constexpr PictureSize kSizes[] = {{720, 576}, {1920, 1088}};
constexpr DWORD kQlnu = mmioFOURCC('Q', 'L', 'N', 'U');

bool gSmoke = false;
std::string gFilter;
DWORD gReportedProcessors = 0;  // 0: the machine's own count

void WINAPI ReportedSystemInfo(LPSYSTEM_INFO info) {
    GetSystemInfo(info);
    if (gReportedProcessors != 0) {
        info->dwNumberOfProcessors = gReportedProcessors;
    }
}

// Points the module's import of KERNEL32's GetSystemInfo at ReportedSystemInfo.
bool RedirectGetSystemInfo(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "GetSystemInfo") == 0) {
                DWORD protection = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                               &protection);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(&ReportedSystemInfo);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection,
                               &protection);
                return true;
            }
        }
    }
    return false;
}

// Picture and frame slots, each on its own pages, through memory several times the size of
// the last-level cache (or one slot, in cache).
class Pool {
public:
    Pool(std::size_t pictureBytes, std::size_t frameBytes, std::size_t totalBytes)
        : frameOffset_(PageRounded(pictureBytes)),
          slotBytes_(frameOffset_ + PageRounded(frameBytes)),
          slots_(std::max<std::size_t>(1, totalBytes / slotBytes_)),
          base_(static_cast<BYTE*>(
              VirtualAlloc(nullptr, slots_ * slotBytes_, MEM_COMMIT, PAGE_READWRITE))) {
        for (std::size_t i = 0; i < slots_ * slotBytes_; i += 64) {
            base_[i] = static_cast<BYTE>(i >> 6);
        }
    }
    ~Pool() { VirtualFree(base_, 0, MEM_RELEASE); }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    std::size_t Slots() const { return slots_; }
    BYTE* Picture(std::size_t slot) const { return base_ + slot * slotBytes_; }
    BYTE* Frame(std::size_t slot) const { return Picture(slot) + frameOffset_; }

private:
    static std::size_t PageRounded(std::size_t bytes) { return (bytes + 4095) / 4096 * 4096; }

    std::size_t frameOffset_, slotBytes_, slots_;
    BYTE* base_;
};

std::size_t PoolBytes() {
    return gSmoke ? 16u << 20 : 256u << 20;
}

double Seconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Microseconds per call of `frame(slot)`, the slots taken in turn: the best of batches of 16
// calls, over at least a second (a few batches when smoking). The best batch is the one that
// other programs on a shared machine disturbed least; each still goes through more memory than
// the caches hold.
template <typename Frame>
double MicrosecondsPerFrame(const Pool& pool, Frame frame) {
    constexpr int kBatch = 16;
    const std::size_t warmUp = std::min<std::size_t>(pool.Slots(), 8);
    for (std::size_t slot = 0; slot < warmUp; ++slot) {
        frame(slot);
    }
    const double minimum = gSmoke ? 0.0 : 1.0;
    const double start = Seconds();
    double best = 0;
    std::size_t calls = 0;
    do {
        const double batchStart = Seconds();
        for (int i = 0; i < kBatch; ++i, ++calls) {
            frame(calls % pool.Slots());
        }
        const double batch = Seconds() - batchStart;
        best = best == 0 ? batch : std::min(best, batch);
    } while (Seconds() - start < minimum);
    return best * 1e6 / kBatch;
}

// A refused frame would be timed as a call that does nothing and look very fast, so the run
// ends instead.
void RequireOk(const char* call, LRESULT answer) {
    if (answer != ICERR_OK) {
        std::fprintf(stderr, "frame_host: %s answered %ld\n", call, static_cast<long>(answer));
        std::exit(1);
    }
}

double CompressTime(HIC codec, const PictureFormat& format, const PictureSize& size) {
    BITMAPINFOHEADER in = UncompressedHeader(format, size.width, size.height);
    BITMAPINFOHEADER out = QlnuHeader(size.width, size.height);
    if (ICCompressBegin(codec, &in, &out) != ICERR_OK) {
        return -1;
    }
    const Pool pool(in.biSizeImage, size.FrameBytes(), PoolBytes());
    const double time = MicrosecondsPerFrame(pool, [&](std::size_t slot) {
        DWORD chunk = 0, flags = 0;
        RequireOk("ICCompress",
                  ICCompress(codec, ICCOMPRESS_KEYFRAME, &out, pool.Frame(slot), &in,
                             pool.Picture(slot), &chunk, &flags, 0, 0, 0, nullptr, nullptr));
    });
    ICCompressEnd(codec);
    return time;
}

double DecompressTime(HIC codec, const PictureFormat& format, const PictureSize& size) {
    BITMAPINFOHEADER in = QlnuHeader(size.width, size.height);
    in.biSizeImage = size.FrameBytes();
    BITMAPINFOHEADER out = UncompressedHeader(format, size.width, size.height);
    if (ICDecompressBegin(codec, &in, &out) != ICERR_OK) {
        return -1;
    }
    const Pool pool(out.biSizeImage, size.FrameBytes(), PoolBytes());
    // Every slot's frame is a frame the driver can read: the magic and two field records.
    for (std::size_t slot = 0; slot < pool.Slots(); ++slot) {
        const DWORD field = static_cast<DWORD>(size.width) * size.height;
        const DWORD header[2][2] = {{0x80000000u, field}, {0, field}};
        std::memcpy(pool.Frame(slot), "QLN1", 4);
        std::memcpy(pool.Frame(slot) + 4, header[0], 8);
        std::memcpy(pool.Frame(slot) + 12 + field, header[1], 8);
    }
    const double time = MicrosecondsPerFrame(pool, [&](std::size_t slot) {
        RequireOk("ICDecompress",
                  ICDecompress(codec, 0, &in, pool.Frame(slot), &out, pool.Picture(slot)));
    });
    ICDecompressEnd(codec);
    return time;
}

double MemcpyTime(const PictureSize& size) {
    const Pool pool(size.FrameBytes(), size.FrameBytes(), PoolBytes());
    return MicrosecondsPerFrame(pool, [&](std::size_t slot) {
        std::memcpy(pool.Frame(slot), pool.Picture(slot), size.FrameBytes());
    });
}

// Microseconds per start/done round trip between two threads: through two auto-reset events
// (what waking the field worker costs), or through two counters that each side spins on.
struct RoundTrip {
    HANDLE start = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    volatile LONG begun = 0, finished = 0;
    bool spin = false;
    LONG trips = 0;

    static DWORD WINAPI Answer(LPVOID argument) {
        auto* trip = static_cast<RoundTrip*>(argument);
        for (LONG i = 1; i <= trip->trips; ++i) {
            if (trip->spin) {
                while (InterlockedCompareExchange(&trip->begun, 0, 0) != i) {
                    YieldProcessor();
                }
                InterlockedExchange(&trip->finished, i);
            } else {
                WaitForSingleObject(trip->start, INFINITE);
                SetEvent(trip->done);
            }
        }
        return 0;
    }

    double Microseconds(bool spinning, LONG count) {
        spin = spinning;
        trips = count;
        HANDLE thread = CreateThread(nullptr, 0, Answer, this, 0, nullptr);
        const double started = Seconds();
        for (LONG i = 1; i <= trips; ++i) {
            if (spin) {
                InterlockedExchange(&begun, i);
                while (InterlockedCompareExchange(&finished, 0, 0) != i) {
                    YieldProcessor();
                }
            } else {
                SetEvent(start);
                WaitForSingleObject(done, INFINITE);
            }
        }
        const double elapsed = Seconds() - started;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return elapsed * 1e6 / static_cast<double>(trips);
    }
};

// One table row: a message with one and with two processors, as time and as memcpy multiple.
void PrintRow(const std::string& name, double one, double two, double memcpyTime) {
    std::printf("%-28s %9.1f %9.1f %7.2f %7.2f %8.2f%s\n", name.c_str(), one, two, one / memcpyTime,
                two / memcpyTime, one / two, one / two < 1.0 ? "  SLOWER" : "");
}

template <typename Measure>
void MeasureRows(const char* direction, const std::vector<PictureFormat>& formats,
                 const PictureSize& size, double memcpyTime, Measure measure) {
    for (const PictureFormat& format : formats) {
        const std::string name = std::string(direction) + "/" + format.name + "/" +
                                 std::to_string(size.width) + "x" + std::to_string(size.height);
        if (name.find(gFilter) == std::string::npos) {
            continue;
        }
        double times[2] = {};
        for (DWORD processors : {1u, 0u}) {
            gReportedProcessors = processors;
            times[processors == 0] = measure(format, size);
        }
        PrintRow(name, times[0], times[1], memcpyTime);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            gSmoke = true;
        } else {
            gFilter = argv[i];
        }
    }
    const std::string driver = [] {
        char path[MAX_PATH];
        std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
        return folder.substr(0, folder.find_last_of("\\/") + 1) + "qlnu.dll";
    }();
    ICInstall(ICTYPE_VIDEO, kQlnu, reinterpret_cast<LPARAM>(driver.c_str()), nullptr,
              ICINSTALL_DRIVER);
    HIC compressor = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    HIC decompressor = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_DECOMPRESS);
    if (compressor == nullptr || decompressor == nullptr ||
        !RedirectGetSystemInfo(GetModuleHandleA("qlnu.dll"))) {
        std::printf("the driver beside this program did not open\n");
        return 1;
    }
    std::printf("%d-bit host and driver\n", static_cast<int>(8 * sizeof(void*)));
    RoundTrip trip;
    const LONG trips = gSmoke ? 100 : 20000;
    std::printf("round trip between two threads: %.1f us through events, %.2f us spinning\n",
                trip.Microseconds(false, trips), trip.Microseconds(true, trips));
    std::printf("%-28s %9s %9s %7s %7s %8s\n", "frame message (us / frame)", "1 cpu", "2 cpu",
                "x mcpy", "x mcpy", "speed-up");
    for (const PictureSize& size : kSizes) {
        const double memcpyTime = MemcpyTime(size);
        std::printf("memcpy/%ldx%ld %29.1f\n", size.width, size.height, memcpyTime);
        MeasureRows("Compress", kInputFormats, size, memcpyTime,
                    [&](const PictureFormat& f, const PictureSize& s) {
                        return CompressTime(compressor, f, s);
                    });
        MeasureRows("Decompress", kOutputFormats, size, memcpyTime,
                    [&](const PictureFormat& f, const PictureSize& s) {
                        return DecompressTime(decompressor, f, s);
                    });
    }
    ICClose(compressor);
    ICClose(decompressor);
    ICRemove(ICTYPE_VIDEO, kQlnu, 0);
    return 0;
}
