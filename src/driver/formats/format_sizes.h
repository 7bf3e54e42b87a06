// Byte counts that follow from a format. Each is computed from the absolute height, so a
// top-down picture (negative height) has the sizes of its bottom-up twin.
//
// A count is given only when it is a number from 0 to 0x7FFFFFFF: one that does not fit a signed
// 32-bit count would wrap in the 32-bit fields it is handed around in (a 65536 x 32768 frame
// would come out as 20 bytes), and a negative width makes a count negative.
#pragma once

#include <optional>

#include "platform/win_api.h"

// The size of a QLNU frame of the format's width and height: 2 x width x |height| + 20.
std::optional<LONG> CompressedFrameSize(const BITMAPINFOHEADER& format);
// The size of a picture at the format's own bit count: |height| x ((biBitCount x width) / 8),
// the division rounding toward zero.
std::optional<LONG> PictureSize(const BITMAPINFOHEADER& format);
// The bytes a copy of the format occupies with its colour words: biSize + 4 x biClrUsed.
std::optional<LONG> FormatSize(const BITMAPINFOHEADER& format);

// True when all three counts of the format exist.
bool SizesFit(const BITMAPINFOHEADER& format);
