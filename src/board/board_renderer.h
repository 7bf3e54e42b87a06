// The renderer of the video board: it claims the board's resources, allocates the ring, sets
// the stream's format and places the picture on the board's output.
#pragma once

#include "board/fifo_renderer.h"

class BoardRenderer final : public FifoRenderer {
public:
    // `fullScreenApp`: the running program always draws full-screen; such programs give the
    // board the larger of the scale and rate first.
    BoardRenderer(LONG width, LONG height, DWORD scale, DWORD rate, bool fullScreenApp,
                  RingCopy copy);
    ~BoardRenderer() override;

    bool Begin() override;
    void Start() override;
    LONG DrawFieldFrame(const BYTE* frame, LONG time, DWORD bytes) override;

private:
    void TearDown();
    void PlacePicture();
};
