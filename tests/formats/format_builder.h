// Formats as hosts describe them, for negotiation tests.
#pragma once

#include "common/fourcc.h"
#include "platform/win_api.h"

inline constexpr DWORD kFourCCLowerUyvy = mmioFOURCC('u', 'y', 'v', 'y');
inline constexpr DWORD kFourCCLowerQlnu = mmioFOURCC('q', 'l', 'n', 'u');

inline BITMAPINFOHEADER MakeFormat(DWORD compression, WORD bitCount, LONG width, LONG height) {
    BITMAPINFOHEADER format{};
    format.biSize = sizeof(BITMAPINFOHEADER);
    format.biWidth = width;
    format.biHeight = height;
    format.biPlanes = 1;
    format.biBitCount = bitCount;
    format.biCompression = compression;
    return format;
}

inline BITMAPINFOHEADER Pal(DWORD compression, WORD bitCount) {
    return MakeFormat(compression, bitCount, 720, 576);
}
