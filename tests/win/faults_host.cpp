// A fault inside the driver's kernels ends the kernel and nothing else. A picture with a row on
// an unreadable page is compressed with the answer ICERR_OK and the other field of the frame
// complete, and the session goes on coding whole frames afterwards; so when the row belongs to
// the field that the field worker converts (on a machine with two processors), and when it
// belongs to the one the host's thread converts. A vectored handler, which the system calls
// before the driver's frame handlers, tells on which thread each access violation happened.
#include <cstring>

#include "frame_sessions.h"
#include "support/guarded_pages.h"

namespace {

using host_test::kQlnu;

constexpr LONG kWidth = 720, kHeight = 576;

std::atomic<int> gFaultsOnHostThread{0};
std::atomic<int> gFaultsOnOtherThreads{0};
DWORD gHostThread = 0;

LONG CALLBACK CountAccessViolation(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        ++(GetCurrentThreadId() == gHostThread ? gFaultsOnHostThread : gFaultsOnOtherThreads);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// The bytes of one field record (header and pixels) of a frame: the first or the second.
Bytes FieldRecord(const Bytes& frame, int record) {
    const std::size_t recordBytes = 8 + std::size_t{kWidth} * kHeight;
    const auto begin = frame.begin() + static_cast<std::ptrdiff_t>(4 + record * recordBytes);
    return Bytes(begin, begin + static_cast<std::ptrdiff_t>(recordBytes));
}

// The picture's rows in frame order (the top-down order of the picture's header: memory order,
// or backwards for RGB with a negative height) 1, 3, 5, … go to the first record, which the
// worker converts, and 0, 2, 4, … to the second, which the host's thread converts. Here the last
// row in memory, on the unreadable page, is row 575 of a picture of 576 rows, or row 0 of a
// top-down RGB one.
void CheckFaultEndsOnlyTheKernel(const PictureFormat& format, LONG height, int faultingRecord,
                                 bool faultOnHostThread) {
    const Bytes picture = IsRgb(format) ? RandomRgbBlocks(kWidth, kHeight, format.bitCount / 8, 41)
                                        : RandomUyvy(kWidth, kHeight, 42);
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    host_test::CompressionSession session(codec, format, kWidth, height);
    const Bytes whole = session.Compress(picture.data());
    // The guard page after the readable bytes holds the whole last row.
    GuardedPages cut(picture.size() - RowBytes(format, kWidth));
    std::memcpy(cut.data(), picture.data(), cut.size());
    gFaultsOnHostThread = 0;
    gFaultsOnOtherThreads = 0;
    // Added after the first frame, the observer comes before any vectored handler of the driver.
    PVOID observer = AddVectoredExceptionHandler(1, CountAccessViolation);
    const Bytes faulted = session.Compress(cut.data());
    RemoveVectoredExceptionHandler(observer);
    CHECK(FieldRecord(faulted, 1 - faultingRecord) == FieldRecord(whole, 1 - faultingRecord));
    CHECK(FieldRecord(faulted, faultingRecord) != FieldRecord(whole, faultingRecord));
    CHECK((gFaultsOnHostThread > 0) == faultOnHostThread);
    CHECK((gFaultsOnOtherThreads > 0) != faultOnHostThread);
    CHECK(session.Compress(picture.data()) == whole);
    ICClose(codec);
}

}  // namespace

int main() {
    CHECK(host_test::InstallDriver());
    gHostThread = GetCurrentThreadId();
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const bool worker = system.dwNumberOfProcessors >= 2;
    std::printf("%lu processors: the worker's field %s\n", system.dwNumberOfProcessors,
                worker ? "faults on the worker" : "faults on this thread (no worker)");
    CheckFaultEndsOnlyTheKernel(kUyvy, kHeight, 0, !worker);
    CheckFaultEndsOnlyTheKernel(kRgb24, -kHeight, 1, true);
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
