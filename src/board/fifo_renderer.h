// A renderer that writes frames into the board's video ring buffer and announces each field
// with vdc_AddData. It knows the "QLND" coded frame; a derived renderer walks "QLN1" frames
// and owns the ring's life.
#pragma once

#include "board/renderer.h"

// The block copy used for the ring: the driver gives its processor-dispatched copy.
using RingCopy = void (*)(void* destination, const void* source, DWORD count);

class FifoRenderer : public Renderer {
public:
    // The kinds of data vdc_AddData announces.
    static constexpr DWORD_PTR kUncompressedField = 0;
    static constexpr DWORD_PTR kCodedField = 1;
    static constexpr DWORD_PTR kEndOfFrame = 4;
    // How long a field waits for room in the ring before its frame is dropped.
    static constexpr DWORD kRingWaitMilliseconds = 2000;

    LONG RenderBuffer() override;
    LONG Flush() override;
    LONG GetTime(LONG* time) override;
    LONG SetTime(LONG time) override;
    void Stop() override;
    LONG Draw(const ICDRAW* request, DWORD requestSize) override;
    // Sends a "QLN1" frame of `bytes` bytes with the given time.
    virtual LONG DrawFieldFrame(const BYTE* frame, LONG time, DWORD bytes) = 0;

protected:
    FifoRenderer(LONG width, LONG height, DWORD timingA, DWORD timingB, RingCopy copy);

    // Waits for room, copies `bytes` bytes into the ring (in two pieces across its end) and
    // moves the write offset on. False when the ring had no room within the wait.
    bool WriteToRing(const BYTE* data, DWORD bytes);

    LONG time_ = -1;
    BYTE opened_ = 0;
    DWORD timingA_;
    DWORD timingB_;
    LONG height_;
    LONG width_;
    DWORD ringWriteOffset_ = 0;
    DWORD ringSize_ = 0;
    BYTE* ringBase_ = nullptr;

private:
    void DrawCodedFrame(const BYTE* frame, LONG time, DWORD bytes);

    RingCopy copy_;
};
