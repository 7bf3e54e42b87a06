// The four-character codes the driver meets, as the little-endian 32-bit values that
// biCompression, fccType and fccHandler hold.
#pragma once

#include "platform/win_api.h"

inline constexpr DWORD kFourCCVideo = mmioFOURCC('v', 'i', 'd', 'c');
inline constexpr DWORD kFourCCQlnu = mmioFOURCC('Q', 'L', 'N', 'U');
inline constexpr DWORD kFourCCQlnd = mmioFOURCC('Q', 'L', 'N', 'D');
inline constexpr DWORD kFourCCUyvy = mmioFOURCC('U', 'Y', 'V', 'Y');
inline constexpr DWORD kFourCCYuy2 = mmioFOURCC('Y', 'U', 'Y', '2');
inline constexpr DWORD kFourCCYvyu = mmioFOURCC('Y', 'V', 'Y', 'U');
// "Y16" ends in a zero byte: blocks of 16 pixels stored as 16 Y, 8 U and 8 V bytes.
inline constexpr DWORD kFourCCY16 = mmioFOURCC('Y', '1', '6', '\0');
// Blocks of 16 pixels stored as 16 Y, 16 alpha, 8 U and 8 V bytes.
inline constexpr DWORD kFourCCY16A = mmioFOURCC('Y', '1', '6', 'A');

// True when the four bytes, upper-cased as a zero-terminated string, spell "QLNU": the one
// comparison of a FourCC that ignores letter case.
bool IsQlnuHandler(DWORD fourCC);
