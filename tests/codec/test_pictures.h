// Pictures in every layout the sessions meet, made by the tests from the layout tables alone,
// and plain floating-point BT.601 references to judge the RGB paths by.
#pragma once

#include <cstdint>
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
extern const std::vector<PictureFormat> kInputFormats;
extern const std::vector<PictureFormat> kOutputFormats;

bool IsRgb(const PictureFormat& format);

// An uncompressed format with biSizeImage of the whole picture.
BITMAPINFOHEADER UncompressedHeader(const PictureFormat& format, LONG width, LONG height);
// The QLNU format ICM_COMPRESS_GET_FORMAT proposes for a picture of this size.
BITMAPINFOHEADER QlnuHeader(LONG width, LONG height);
std::size_t RowBytes(const PictureFormat& format, int width);

// A top-down UYVY picture of random samples.
Bytes RandomUyvy(int width, int height, std::uint32_t seed);
// The same samples in another packed-YUV layout (UYVY, YUY2, YVYU, "Y16" or "Y16A", whose
// alpha bytes get `alpha`), rows top-down.
Bytes UyvyToLayout(const Bytes& uyvy, int width, int height, DWORD layout, BYTE alpha = 0);

// A bottom-up RGB picture (3 or 4 bytes a pixel) whose blocks of 16 pixels share one random
// colour, so that neither 4:2:2 chroma nor the decoder's chroma interpolation inside a block
// loses anything; the fourth byte of RGB32 pixels is random.
Bytes RandomRgbBlocks(int width, int height, int bytesPerPixel, std::uint32_t seed);
// The three colour bytes of each pixel.
Bytes Rgb24Of(const Bytes& rgb, int bytesPerPixel);

// Floating-point BT.601 (studio range) references, row order as stored: UYVY top-down,
// RGB bottom-up with 3 bytes a pixel. The decoder gives each odd pixel the mean chroma of its
// pair and the next pair of its 16-pixel block (the last pair has no next and keeps its own).
Bytes ReferenceUyvyToRgb24(const Bytes& uyvy, int width, int height);
Bytes ReferenceRgbToUyvy(const Bytes& rgb, int width, int height, int bytesPerPixel);

// The largest difference between two samples at the same place (both the same size).
int LargestDifference(const Bytes& a, const Bytes& b);

// Rows of a picture: `row` counted from the lowest address.
Bytes RowOf(const Bytes& picture, std::size_t rowBytes, int row);
Bytes FlipRows(const Bytes& picture, std::size_t rowBytes);
