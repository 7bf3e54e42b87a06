// The draw path's object of an open: it feeds the fields of frames to the video board. The
// virtual operations keep this slot order, which derived renderers share.
#pragma once

#include "common/driver_heap.h"
#include "platform/win_api.h"

class Renderer : public HeapObject {
public:
    static constexpr LONG kFailedDraw = ICERR_ERROR;

    // Starts playback, then pauses and flushes what the board holds.
    virtual LONG RenderBuffer() = 0;
    // Claims the board's resources and its ring, and places the picture; false on failure.
    virtual bool Begin() = 0;
    virtual LONG Flush() = 0;
    // Stores the board's current time in the host's variable.
    virtual LONG GetTime(LONG* time) = 0;
    virtual LONG SetTime(LONG time) = 0;
    virtual void Stop() = 0;
    virtual void Start() = 0;
    // Sends one frame of the host's ICDRAW record to the board: ICERR_OK, ICERR_BADFORMAT for a
    // frame of a foreign kind (nothing is sent), or kFailedDraw for a record without frame data.
    virtual LONG Draw(const ICDRAW* request, DWORD requestSize) = 0;
    ~Renderer() override = default;
};
