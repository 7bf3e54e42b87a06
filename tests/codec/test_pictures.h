// Random pictures for the session tests, and ways to compare them. The layouts themselves and
// the floating-point references come from the tools' picture layouts.
#pragma once

#include <cstdint>

#include "picture_layouts.h"

// A top-down UYVY picture of random samples.
Bytes RandomUyvy(int width, int height, std::uint32_t seed);

// A bottom-up RGB picture (3 or 4 bytes a pixel) whose blocks of 16 pixels share one random
// colour, so that neither 4:2:2 chroma nor the decoder's chroma interpolation inside a block
// loses anything; the fourth byte of RGB32 pixels is random.
Bytes RandomRgbBlocks(int width, int height, int bytesPerPixel, std::uint32_t seed);
// The three colour bytes of each pixel.
Bytes Rgb24Of(const Bytes& rgb, int bytesPerPixel);

// The largest difference between two samples at the same place.
int LargestDifference(const Bytes& a, const Bytes& b);

// Row `row` of a picture, counted from the lowest address.
Bytes RowOf(const Bytes& picture, std::size_t rowBytes, int row);
