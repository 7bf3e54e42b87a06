#include "codec/picture_rows.h"

#include <cstdlib>

#include "common/fourcc.h"

std::int64_t PictureRowBytes(const BITMAPINFOHEADER& format) {
    const std::int64_t width = format.biWidth;
    switch (format.biCompression) {
        case kFourCCYuy2:
        case kFourCCUyvy:
        case kFourCCYvyu:
        case kFourCCY16:
            return 2 * width;
        case kFourCCY16A:
            return 3 * width;
        case BI_RGB:
            return format.biBitCount * width / 8;
        default:
            return 0;
    }
}

std::int64_t PictureRowCount(const BITMAPINFOHEADER& format) {
    return std::llabs(static_cast<std::int64_t>(format.biHeight));
}

bool IsStoredTopDown(const BITMAPINFOHEADER& format) {
    return format.biCompression != BI_RGB || format.biHeight < 0;
}

PictureRows FrameOrderRows(const BITMAPINFOHEADER& format, void* pixels) {
    auto* first = static_cast<BYTE*>(pixels);
    const std::int64_t rowBytes = PictureRowBytes(format);
    const bool flipped = format.biCompression == BI_RGB && format.biHeight < 0;
    if (!flipped) {
        return {first, rowBytes};
    }
    return {first + (PictureRowCount(format) - 1) * rowBytes, -rowBytes};
}
