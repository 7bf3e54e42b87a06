// A fault inside the driver's kernels ends the kernel and nothing else. A picture with a row on
// an unreadable page is compressed with the answer ICERR_OK and the other field of the frame
// complete, and the session goes on coding whole frames afterwards; so when the row belongs to
// the field that the field worker converts (on a machine with two processors), and when it
// belongs to the one the host's thread converts. A vectored handler, which the system calls
// before the driver's frame handlers, tells on which thread each access violation happened.
#include <cstring>

#include "frame_sessions.h"

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

enum class UnreadableRow { First, Last };

// A copy of a picture whose first or last row in memory lies on an unreadable page, the other
// rows on readable ones.
class PictureBesideUnreadablePage {
public:
    PictureBesideUnreadablePage(const Bytes& picture, std::size_t rowBytes, UnreadableRow row) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const std::size_t page = system.dwPageSize;
        const std::size_t readableBytes = picture.size() - rowBytes;
        const std::size_t readablePages = (readableBytes + page - 1) / page;
        const std::size_t unreadablePages = (rowBytes + page - 1) / page;
        mapping_ =
            static_cast<BYTE*>(VirtualAlloc(nullptr, (readablePages + unreadablePages) * page,
                                            MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        const bool first = row == UnreadableRow::First;
        BYTE* unreadable = first ? mapping_ : mapping_ + readablePages * page;
        data_ = first ? unreadable + unreadablePages * page - rowBytes : unreadable - readableBytes;
        const std::size_t readableOffset = first ? rowBytes : 0;
        std::memcpy(data_ + readableOffset, picture.data() + readableOffset, readableBytes);
        DWORD previous = 0;
        VirtualProtect(unreadable, unreadablePages * page, PAGE_NOACCESS, &previous);
    }
    ~PictureBesideUnreadablePage() { VirtualFree(mapping_, 0, MEM_RELEASE); }
    PictureBesideUnreadablePage(const PictureBesideUnreadablePage&) = delete;
    PictureBesideUnreadablePage& operator=(const PictureBesideUnreadablePage&) = delete;

    const BYTE* data() const { return data_; }

private:
    BYTE* mapping_;
    BYTE* data_;
};

// The bytes of one field record (header and pixels) of a frame: the first or the second.
Bytes FieldRecord(const Bytes& frame, int record) {
    const std::size_t recordBytes = 8 + std::size_t{kWidth} * kHeight;
    const auto begin = frame.begin() + static_cast<std::ptrdiff_t>(4 + record * recordBytes);
    return Bytes(begin, begin + static_cast<std::ptrdiff_t>(recordBytes));
}

// The first record holds the rows 1, 3, 5, … in memory, which the worker converts, and the
// second the rows 0, 2, 4, …, which the host's thread converts: the last row of a picture whose
// height is even is the worker's, the first one the host thread's.
void CheckFaultEndsOnlyTheKernel(const PictureFormat& format, UnreadableRow row,
                                 bool faultOnHostThread) {
    const Bytes picture = IsRgb(format) ? RandomRgbBlocks(kWidth, kHeight, format.bitCount / 8, 41)
                                        : RandomUyvy(kWidth, kHeight, 42);
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    if (codec == nullptr) {
        return;
    }
    host_test::CompressionSession session(codec, format, kWidth, kHeight);
    const Bytes whole = session.Compress(picture.data());
    const PictureBesideUnreadablePage cut(picture, RowBytes(format, kWidth), row);
    gFaultsOnHostThread = 0;
    gFaultsOnOtherThreads = 0;
    // Added after the first frame, the observer comes before any vectored handler of the driver.
    PVOID observer = AddVectoredExceptionHandler(1, CountAccessViolation);
    const Bytes faulted = session.Compress(cut.data());
    RemoveVectoredExceptionHandler(observer);
    const int faultingRecord = row == UnreadableRow::Last ? 0 : 1;
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
    CheckFaultEndsOnlyTheKernel(kUyvy, UnreadableRow::Last, !worker);
    CheckFaultEndsOnlyTheKernel(kRgb24, UnreadableRow::First, true);
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
