// Long runs of opens and closes and of session begins and ends through Wine's msvfw32, as a
// busy editor makes them. Each begin starts a field worker (two events and a thread on a
// machine with two processors), so a handle forgotten anywhere would pile up. Wine's
// GetProcessHandleCount is a stub, so open handles are counted by probing the handle table.
#include "host_test.h"

namespace {

using host_test::kQlnu;

// Wine takes about ten milliseconds for a begin and an end; the native load test makes the
// longer runs.
constexpr int kWarmUpCycles = 50;
constexpr int kOpenCloseCycles = 200;
constexpr int kBeginEndCycles = 1000;
// Wine makes a few handles of its own when it first needs them, at moments no host chooses; a
// handle forgotten on each begin or open would add a thousand.
constexpr int kWineOwnHandles = 8;

int OpenHandleCount() {
    int count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

void BeginAndEnd(HIC codec, BITMAPINFOHEADER* picture, BITMAPINFOHEADER* frame) {
    CHECK_EQ(ICCompressBegin(codec, picture, frame), ICERR_OK);
    CHECK_EQ(ICDecompressBegin(codec, frame, picture), ICERR_OK);
    ICCompressEnd(codec);
    ICDecompressEnd(codec);
}

}  // namespace

int main() {
    CHECK(host_test::InstallDriver());
    BITMAPINFOHEADER picture = MakeFormat(mmioFOURCC('U', 'Y', 'V', 'Y'), 16, 64, 32);
    BITMAPINFOHEADER frame = MakeFormat(kQlnu, 24, 64, 32);
    frame.biSizeImage = 2 * 64 * 32 + 20;

    // The first open loads the driver, and Wine makes some handles of its own the first few times
    // threads come and go; those belong to the process from then on.
    HIC codec = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
    CHECK(codec != nullptr);
    for (int cycle = 0; cycle < kWarmUpCycles; ++cycle) {
        BeginAndEnd(codec, &picture, &frame);
    }
    const int handlesBefore = OpenHandleCount();

    for (int cycle = 0; cycle < kBeginEndCycles; ++cycle) {
        BeginAndEnd(codec, &picture, &frame);
    }
    CHECK(OpenHandleCount() <= handlesBefore + kWineOwnHandles);

    for (int cycle = 0; cycle < kOpenCloseCycles; ++cycle) {
        HIC other = ICOpen(ICTYPE_VIDEO, kQlnu, ICMODE_COMPRESS);
        // Hosts do not always end their sessions before they close.
        CHECK_EQ(ICCompressBegin(other, &picture, &frame), ICERR_OK);
        ICClose(other);
    }
    CHECK(OpenHandleCount() <= handlesBefore + kWineOwnHandles);
    ICClose(codec);
    CHECK(host_test::RemoveDriver());
    return host_test::Finish();
}
