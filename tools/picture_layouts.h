// The uncompressed layouts the codec takes and gives, written from their byte tables alone,
// with floating-point BT.601 (studio range) conversions to judge the RGB paths by. Shared by
// the demo, the session tests and the frame benchmarks.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win_api.h"

using Bytes = std::vector<BYTE>;

struct PictureFormat {
    const char* name;
    DWORD compression;
    WORD bitCount;
};

extern const PictureFormat kRgb24;
extern const PictureFormat kRgb32;
extern const PictureFormat kYuy2;
extern const PictureFormat kUyvy;
extern const PictureFormat kYvyu;
extern const PictureFormat kY16;
extern const PictureFormat kY16A;
// What compression takes, and what decompression gives.
extern const std::vector<PictureFormat> kInputFormats;
extern const std::vector<PictureFormat> kOutputFormats;

bool IsRgb(const PictureFormat& format);
std::size_t RowBytes(const PictureFormat& format, int width);

// An uncompressed format with biSizeImage of the whole picture.
BITMAPINFOHEADER UncompressedHeader(const PictureFormat& format, LONG width, LONG height);
// The QLNU format that ICM_COMPRESS_GET_FORMAT proposes for a picture of this size.
BITMAPINFOHEADER QlnuHeader(LONG width, LONG height);

// A top-down UYVY picture in another packed-YUV layout (UYVY, YUY2, YVYU, "Y16" or "Y16A",
// whose alpha bytes get `alpha`), rows top-down.
Bytes UyvyToLayout(const Bytes& uyvy, int width, int height, DWORD layout, BYTE alpha = 0);

// UYVY top-down to RGB bottom-up (3 bytes a pixel). The decoder gives each odd pixel the mean
// chroma of its pair and the next pair of its 16-pixel block (the block's last pair keeps its
// own), and so does this reference.
Bytes ReferenceUyvyToRgb24(const Bytes& uyvy, int width, int height);
// RGB bottom-up (3 or 4 bytes a pixel) to UYVY top-down; chroma from the mean of each pair.
Bytes ReferenceRgbToUyvy(const Bytes& rgb, int width, int height, int bytesPerPixel);
// The same RGB picture with 4 bytes a pixel (the fourth byte 0) or with 3.
Bytes RgbWithPixelBytes(const Bytes& rgb24, int bytesPerPixel);

Bytes FlipRows(const Bytes& picture, std::size_t rowBytes);
