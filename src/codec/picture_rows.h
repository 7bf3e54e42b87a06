// The rows of an uncompressed picture as the QLNU frame counts them: row 0 is the bottom line
// of an RGB picture and the top line of a packed-YUV picture. An RGB picture stored top-down
// (negative height) is walked from its last memory row upward, so that it gives exactly the
// frame of the same picture stored bottom-up. Packed-YUV pictures are top-down whatever the
// sign of their height.
#pragma once

#include <cstdint>

#include "platform/win_api.h"

struct PictureRows {
    BYTE* RowZero;
    std::int64_t Pitch;  // bytes from one row to the next; negative for a flipped walk
};

// Bytes of one picture row: 2·w for the 16-bit packed-YUV layouts, 3·w for "Y16A",
// biBitCount·w/8 for RGB, 0 for any other layout.
std::int64_t PictureRowBytes(const BITMAPINFOHEADER& format);

// |biHeight|: a negative height only says which way the rows are stored.
std::int64_t PictureRowCount(const BITMAPINFOHEADER& format);

// True for the layouts whose rows are stored top-down in memory: every one but an RGB picture
// with a positive height.
bool IsStoredTopDown(const BITMAPINFOHEADER& format);

PictureRows FrameOrderRows(const BITMAPINFOHEADER& format, void* pixels);

// True when the count keeps its value as a T: the kernels take 32-bit widths, rows and strides.
template <typename T>
bool FitsIn(std::int64_t count) {
    return static_cast<T>(count) == count;
}
