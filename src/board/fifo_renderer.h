// A renderer that writes frames into the board's video ring buffer and announces each field
// with vdc_AddData. It knows the "QLND" coded frame; a derived renderer walks "QLN1" frames
// and owns the ring's life.
#pragma once

#include <cstdint>

#include "board/renderer.h"

// The block copy used for the ring: the driver gives its processor-dispatched copy.
using RingCopy = void (*)(void* destination, const void* source, DWORD count);

// One field of a frame on its way to the ring: its bytes inside the frame's data, and the field
// number vdc_AddData announces it with.
struct RingField {
    const BYTE* bytes;
    DWORD count;
    DWORD_PTR field;
};

class FifoRenderer : public Renderer {
public:
    // The kinds of data vdc_AddData announces.
    static constexpr DWORD_PTR kUncompressedField = 0;
    static constexpr DWORD_PTR kCodedField = 1;
    static constexpr DWORD_PTR kEndOfFrame = 4;
    // How long a frame waits for room in the ring before it is dropped.
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

    // Sends the fields of one frame, each announced as `kind`, and closes the frame with its
    // end. The board shows whole frames only, so none is begun without room for all its fields:
    // a frame that finds none within the wait is dropped unannounced. A field the ring still
    // refuses (a board that answers against itself) ends the frame early; it is closed all the
    // same, so that the next frame's fields are not taken for the rest of this one.
    void SendFrame(const RingField* fields, int count, LONG time, DWORD_PTR kind);

    LONG time_ = -1;
    bool opened_ = false;
    DWORD timingA_;
    DWORD timingB_;
    LONG height_;
    LONG width_;
    DWORD ringSize_ = 0;
    BYTE* ringBase_ = nullptr;

private:
    void DrawCodedFrame(const BYTE* frame, LONG time, DWORD bytes);
    // Waits for room and copies `bytes` bytes into the ring where the board said, in two pieces
    // across its end; the board keeps the write offset. False, with nothing written, when the ring
    // had no room within the wait, the bytes are more than it holds, or the board answered an
    // offset outside it.
    bool WriteToRing(const BYTE* data, DWORD bytes);
    // The ring offset the board answers for `bytes` bytes, asked until it has room or the wait
    // ends; -1 when it had none, or can never have any because the ring is smaller.
    LONG FindRoom(std::uint64_t bytes);

    RingCopy copy_;
};
