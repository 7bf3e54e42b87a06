#include "board/board_renderer.h"

#include <algorithm>
#include <cstring>

#include "board/board_library.h"

namespace {

// Board resources, by the numbers the library knows them by.
constexpr DWORD_PTR kRingResources[] = {7, 9};
constexpr DWORD_PTR kOptionalRingResource = 8;
constexpr DWORD_PTR kPlaybackResource = 1;
constexpr DWORD_PTR kInputWindowResource = 5;
constexpr DWORD_PTR kMixerResource = 4;

constexpr DWORD kRequestedRingBytes = 0x3FFFFF;
constexpr DWORD_PTR kInputWindow = 2;

// Records of "QLN1" frames: a flag word, a byte count and that many bytes. Only records whose
// flags hold at most the odd-field bit are fields to show.
constexpr DWORD kRecordHeaderBytes = 8;
constexpr int kMostRecords = 8;
constexpr DWORD kOddFieldBit = 0x80000000u;

template <typename T>
DWORD_PTR OutValue(T* value) {
    return reinterpret_cast<DWORD_PTR>(value);
}

}  // namespace

BoardRenderer::BoardRenderer(LONG width, LONG height, DWORD scale, DWORD rate, bool fullScreenApp,
                             RingCopy copy)
    : FifoRenderer(width, height, fullScreenApp ? std::min(scale, rate) : rate,
                   fullScreenApp ? std::max(scale, rate) : scale, copy) {}

BoardRenderer::~BoardRenderer() {
    TearDown();
}

void BoardRenderer::TearDown() {
    if (opened_) {
        BoardApi.vdc_Stop();
        BoardApi.vdc_ReleaseVideoFifo();
        ringBase_ = nullptr;
        opened_ = false;
    }
    BoardApi.vdc_unregister_all();
}

bool BoardRenderer::Begin() {
    TearDown();
    for (DWORD_PTR resource : kRingResources) {
        if (BoardApi.vdc_register(resource) == 0) {
            return false;
        }
    }
    BoardApi.vdc_register(kOptionalRingResource);
    ringSize_ = kRequestedRingBytes;
    opened_ = true;
    ringBase_ = reinterpret_cast<BYTE*>(BoardApi.vdc_AllocVideoFifo(OutValue(&ringSize_)));
    // A ring of no bytes could hold no field.
    if (ringBase_ == nullptr || ringSize_ == 0 ||
        BoardApi.vdc_SetFormat(static_cast<DWORD_PTR>(width_), static_cast<DWORD_PTR>(height_),
                               timingB_, timingA_) == 0 ||
        BoardApi.vdc_register(kPlaybackResource) == 0) {
        return false;
    }
    PlacePicture();
    BoardApi.vdc_ResetCounter(1, 0);
    BoardApi.vdc_Pause();
    return true;
}

// A picture of the output's size fills it. A smaller or larger one goes in the input window:
// where the window already is, moved back inside the output, or else in the middle.
void BoardRenderer::PlacePicture() {
    LONG unused[2] = {};
    LONG outputWidth = 0;
    LONG outputHeight = 0;
    BoardApi.vdc_output_get_scale(OutValue(&unused[0]), OutValue(&unused[1]),
                                  OutValue(&outputWidth), OutValue(&outputHeight));
    if ((outputWidth == width_ && outputHeight == height_) ||
        BoardApi.vdc_register(kInputWindowResource) == 0) {
        BoardApi.vdc_input_set_enabled_window(kInputWindow, 0);
        return;
    }
    LONG x = (outputWidth - width_) / 2;
    LONG y = (outputHeight - height_) / 2;
    if ((BoardApi.vdc_input_get_enabled_window() & kInputWindow) != 0) {
        BoardApi.vdc_input_get_scale(OutValue(&x), OutValue(&y), OutValue(&unused[0]),
                                     OutValue(&unused[1]));
        x = std::min(x, outputWidth - width_);
        y = std::min(y, outputHeight - height_);
    }
    BoardApi.vdc_input_set_enabled_window(kInputWindow, 1);
    BoardApi.vdc_input_set_scale(static_cast<DWORD_PTR>(x & ~1), static_cast<DWORD_PTR>(y & ~1),
                                 static_cast<DWORD_PTR>(width_), static_cast<DWORD_PTR>(height_));
    BoardApi.vdc_unregister(kInputWindowResource);
}

void BoardRenderer::Start() {
    if (BoardApi.vdc_register(kMixerResource) != 0) {
        BoardApi.vdc_mixer_blender_set(1);
        BoardApi.vdc_unregister(kMixerResource);
    }
    BoardApi.vdc_Run();
}

// A record whose bytes would run past the frame's data is not sent, and the walk ends there:
// no record can begin after it.
LONG BoardRenderer::DrawFieldFrame(const BYTE* frame, LONG time, DWORD bytes) {
    RingField fields[kMostRecords];
    int count = 0;
    DWORD at = 4;
    for (int record = 0; record < kMostRecords && at < bytes; ++record) {
        if (bytes - at < kRecordHeaderBytes) {
            break;
        }
        DWORD flags;
        DWORD fieldBytes;
        std::memcpy(&flags, frame + at, sizeof flags);
        std::memcpy(&fieldBytes, frame + at + 4, sizeof fieldBytes);
        at += kRecordHeaderBytes;
        if (fieldBytes > bytes - at) {
            break;
        }
        if ((flags & ~kOddFieldBit) == 0) {
            fields[count++] = {frame + at, fieldBytes, flags >> 31};
        }
        at += fieldBytes;
    }
    SendFrame(fields, count, time, kUncompressedField);
    return ICERR_OK;
}
