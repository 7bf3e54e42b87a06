// The session's scratch copy of a whole picture for the field order swap: 128-byte aligned,
// made at the first swapped frame and only ever grown, so frames of one size reuse it.
#pragma once

#include "platform/win_api.h"

class ScratchBlock {
public:
    ScratchBlock() = default;
    ~ScratchBlock() { Release(); }

    ScratchBlock(const ScratchBlock&) = delete;
    ScratchBlock& operator=(const ScratchBlock&) = delete;

    // Makes room for a picture of the given format (rows of biWidth × biBitCount / 8 bytes,
    // |biHeight| of them). False when the heap cannot give the block; the old one is gone then.
    bool Reserve(const BITMAPINFOHEADER& format);

    BYTE* Aligned() const { return aligned_; }
    LONG Capacity() const { return capacity_; }

private:
    void Release();

    void* raw_ = nullptr;
    BYTE* aligned_ = nullptr;
    LONG capacity_ = 0;
};
