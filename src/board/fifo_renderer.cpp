#include "board/fifo_renderer.h"

#include <algorithm>
#include <cstring>

#include "board/board_library.h"

namespace {

constexpr DWORD kSkippedFrameFlags =
    ICDRAW_HURRYUP | ICDRAW_UPDATE | ICDRAW_PREROLL | ICDRAW_NULLFRAME;

// A "QLND" frame: the byte counts of its two fields at bytes 16 and 20, the first field's
// bytes from byte 28, the second's right after them.
constexpr DWORD kCodedCountsAt = 16;
constexpr DWORD kCodedFieldsAt = 28;

DWORD ReadWord(const BYTE* at) {
    DWORD word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

}  // namespace

FifoRenderer::FifoRenderer(LONG width, LONG height, DWORD timingA, DWORD timingB, RingCopy copy)
    : timingA_(timingA), timingB_(timingB), height_(height), width_(width), copy_(copy) {}

LONG FifoRenderer::RenderBuffer() {
    Start();
    BoardApi.vdc_Pause();
    BoardApi.vdc_Flush();
    return ICERR_OK;
}

LONG FifoRenderer::Flush() {
    BoardApi.vdc_Stop();
    BoardApi.vdc_Pause();
    return ICERR_OK;
}

LONG FifoRenderer::GetTime(LONG* time) {
    if (time != nullptr) {
        *time = static_cast<LONG>(BoardApi.vdc_GetTime());
    }
    return ICERR_OK;
}

LONG FifoRenderer::SetTime(LONG time) {
    BoardApi.vdc_ResetCounter(1, static_cast<DWORD_PTR>(time));
    return ICERR_OK;
}

void FifoRenderer::Stop() {
    BoardApi.vdc_Pause();
}

LONG FifoRenderer::Draw(const ICDRAW* request, DWORD) {
    if ((request->dwFlags & kSkippedFrameFlags) != 0) {
        return ICERR_OK;
    }
    time_ = request->lTime != 0 ? request->lTime : time_ + 1;
    const auto* frame = static_cast<const BYTE*>(request->lpData);
    const DWORD bytes = request->cbData;
    if (frame == nullptr || bytes == 0) {
        return kFailedDraw;
    }
    if (bytes >= 4 && std::memcmp(frame, "QLN1", 4) == 0) {
        return DrawFieldFrame(frame, time_, bytes);
    }
    if (bytes >= 4 && std::memcmp(frame, "QLND", 4) == 0) {
        DrawCodedFrame(frame, time_, bytes);
        return ICERR_OK;
    }
    return ICERR_BADFORMAT;
}

// A field whose bytes would run past the frame's data is not sent, and neither is anything
// after it; the end of the frame is announced all the same.
void FifoRenderer::DrawCodedFrame(const BYTE* frame, LONG time, DWORD bytes) {
    RingField fields[2];
    int count = 0;
    if (bytes >= kCodedFieldsAt) {
        const DWORD counts[] = {ReadWord(frame + kCodedCountsAt),
                                ReadWord(frame + kCodedCountsAt + 4)};
        DWORD at = kCodedFieldsAt;
        for (const DWORD fieldBytes : counts) {
            if (fieldBytes > bytes - at) {
                break;
            }
            fields[count] = {frame + at, fieldBytes, static_cast<DWORD_PTR>(count)};
            ++count;
            at += fieldBytes;
        }
    }
    SendFrame(fields, count, time, kCodedField);
}

void FifoRenderer::SendFrame(const RingField* fields, int count, LONG time, DWORD_PTR kind) {
    std::uint64_t frameBytes = 0;
    for (int field = 0; field < count; ++field) {
        frameBytes += fields[field].count;
    }
    if (frameBytes != 0 && FindRoom(frameBytes) < 0) {
        OutputDebugStringA("QLNU draw: frame dropped\n");
        return;
    }
    for (int field = 0; field < count; ++field) {
        const RingField& sent = fields[field];
        if (!WriteToRing(sent.bytes, sent.count)) {
            break;
        }
        BoardApi.vdc_AddData(static_cast<DWORD_PTR>(time), sent.field, kind, sent.count);
    }
    BoardApi.vdc_AddData(static_cast<DWORD_PTR>(time), 0, kEndOfFrame, 0);
}

// The board frees ring space as it shows frames; a board that has stopped showing them must not
// hang the host, so the wait is bounded.
LONG FifoRenderer::FindRoom(std::uint64_t bytes) {
    if (bytes > ringSize_) {
        OutputDebugStringA("QLNU draw: more bytes than the board's ring holds\n");
        return -1;
    }
    const DWORD waitStart = GetTickCount();
    LONG offset;
    while ((offset = static_cast<LONG>(
                BoardApi.vdc_CheckFreeSize(static_cast<DWORD_PTR>(bytes), 40))) < 0) {
        if (GetTickCount() - waitStart >= kRingWaitMilliseconds) {
            OutputDebugStringA("QLNU draw: no room in the board's ring\n");
            return -1;
        }
    }
    return offset;
}

// The board is trusted with its ring's protocol, not with the host's memory: whatever it
// answers, no byte goes outside the ring.
bool FifoRenderer::WriteToRing(const BYTE* data, DWORD bytes) {
    const LONG offset = FindRoom(bytes);
    if (offset < 0) {
        return false;
    }
    const DWORD start = static_cast<DWORD>(offset);
    if (start >= ringSize_) {
        OutputDebugStringA("QLNU draw: the board answered an offset outside its ring\n");
        return false;
    }
    // Up to the ring's end, and the rest (often nothing) from its start.
    const DWORD firstPiece = std::min(bytes, ringSize_ - start);
    copy_(ringBase_ + start, data, firstPiece);
    copy_(ringBase_, data + firstPiece, bytes - firstPiece);
    return true;
}
