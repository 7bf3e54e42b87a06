// What the fuzz targets share: the driver attached as loading the library attaches it, an
// instance opened per input as a host opens one, hostile headers drawn from the input, and a
// check that each input gives back every block it took from the driver's heap.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "common/driver_heap.h"
#include "driver/driver_proc.h"
#include "platform/win_api.h"

inline LRESULT Send(DWORD_PTR driverId, UINT message, LPARAM l1 = 0, LPARAM l2 = 0) {
    return DriverProc(driverId, nullptr, message, l1, l2);
}

template <typename T>
LPARAM AsParam(T* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}

// Attaches the driver once for the whole fuzzing process.
void AttachDriverOnce();

// One open of the driver for one input. Closing it must leave the heap as opening found it.
class FuzzedInstance {
public:
    FuzzedInstance();
    ~FuzzedInstance();
    FuzzedInstance(const FuzzedInstance&) = delete;
    FuzzedInstance& operator=(const FuzzedInstance&) = delete;

    DWORD_PTR Id() const { return id_; }
    // Sets the field order swap through ICM_SETSTATE, as a host restoring its options does.
    void SetFieldSwap(bool swap);

private:
    SIZE_T liveBlocks_;
    DWORD_PTR id_;
};

// A format as a host hands it over: a header whose every field may be hostile (plausible values
// are drawn more often than random ones, so that inputs reach past the format checks), in a
// block of exactly the header and colour words it claims.
class HostFormat {
public:
    explicit HostFormat(FuzzedDataProvider& input);
    BITMAPINFOHEADER* operator->() { return Header(); }
    BITMAPINFOHEADER* Header() { return reinterpret_cast<BITMAPINFOHEADER*>(bytes_.data()); }

private:
    std::vector<BYTE> bytes_;
};

// A buffer of exactly the size a host would allocate for `bytes`, or none when that size is
// negative or larger than a fuzz input should make the process allocate.
std::vector<BYTE> HostBuffer(long long bytes);

// The bytes a host allocates for a picture in `format`, as its header describes it.
long long ClaimedPictureBytes(const BITMAPINFOHEADER& format);
