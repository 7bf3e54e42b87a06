// The tests that format negotiation combines: which uncompressed formats each direction takes,
// and the picture geometry the codec can split into fields.
#pragma once

#include "platform/win_api.h"

// An input the compressor converts: 24- or 32-bit RGB, 16-bit YUY2, UYVY, YVYU or "Y16", or
// 24-bit "Y16A". biCompression must match exactly, letter case included.
bool IsCompressionInput(const BITMAPINFOHEADER& format);
// An output the decompressor produces: 24-bit RGB, or 16-bit YUY2, UYVY, YVYU or "Y16".
bool IsDecompressionOutput(const BITMAPINFOHEADER& format);
// Width and height are multiples of 16; zero and negative multiples included.
bool HasCodecGeometry(const BITMAPINFOHEADER& format);
// The same width and the same signed height.
bool HasSameDimensions(const BITMAPINFOHEADER& a, const BITMAPINFOHEADER& b);
