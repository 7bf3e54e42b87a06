// The 64-bit (MMX register) RGB decoders shared by the MMX, SSE and AMD variants. Each variant
// file supplies a Variant policy:
//     struct Coefficients;                                  // what its arithmetic needs
//     static Coefficients LoadCoefficients(const BYTE* table);
//     static __m64 Luma(__m64 units, const Coefficients&);  // four UYVY units, in 1/8
//     static __m64 ChromaU(__m64 chroma, __m64 next, const Coefficients&);
//     static __m64 ChromaV(__m64 chroma, __m64 next, const Coefficients&);
//     static __m64 BlueTerm(__m64 u, const Coefficients&) and GreenTerm(u, v), RedTerm(v);
//     static __m64 ChromaMask(const Coefficients&);         // words of 0x00FF
//     static void Prefetch(const BYTE* in);                 // per block
//     static void Store(BYTE* out, __m64 value);            // 8 bytes, any alignment
//     static void Finish();                                 // after the last row
// `chroma` holds the chroma bytes of four pixels as words, U_a V_a U_b V_b (pairs a and b),
// and `next` starts with the next pair's U and V (pair b again at the end of the block).
// Everything lives in an unnamed namespace on purpose: each variant file compiles its own copy
// with its own instruction-set flags, and no copy may stand in for another at link time.
//
// A block of 16 pixels goes through in two halves of 8, four pixels per register in pixel
// order; the B, G, R words are clamped to bytes and woven into three bytes per pixel.
#pragma once

#include <mmintrin.h>

#include <cstddef>
#include <cstring>

#include "convert/yuv_to_rgb_coefficients.h"

namespace {

inline __m64 Load64(const BYTE* at) {
    __m64 value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline __m64 ToChannel(__m64 luma, __m64 chromaTerm) {
    return _mm_srai_pi16(_mm_adds_pi16(luma, chromaTerm), 3);
}

// Two pixels as B G R 0 B' G' R' 0 to B G R B' G' R' 0 0.
inline __m64 CompactPixelPair(__m64 pair, __m64 firstPixelMask) {
    return _mm_or_si64(_mm_and_si64(pair, firstPixelMask),
                       _mm_andnot_si64(firstPixelMask, _mm_srli_si64(pair, 8)));
}

// 24 output bytes for 8 pixels, from their B, G and R words (four pixels per register).
template <class Variant>
inline void WeaveHalf(BYTE* out, const __m64 (&b)[2], const __m64 (&g)[2], const __m64 (&r)[2],
                      __m64 firstPixelMask) {
    const __m64 zero = _mm_setzero_si64();
    const __m64 blue = _mm_packs_pu16(b[0], b[1]);
    const __m64 green = _mm_packs_pu16(g[0], g[1]);
    const __m64 red = _mm_packs_pu16(r[0], r[1]);
    const __m64 bgLow = _mm_unpacklo_pi8(blue, green), bgHigh = _mm_unpackhi_pi8(blue, green);
    const __m64 rLow = _mm_unpacklo_pi8(red, zero), rHigh = _mm_unpackhi_pi8(red, zero);
    const __m64 p01 = CompactPixelPair(_mm_unpacklo_pi16(bgLow, rLow), firstPixelMask);
    const __m64 p23 = CompactPixelPair(_mm_unpackhi_pi16(bgLow, rLow), firstPixelMask);
    const __m64 p45 = CompactPixelPair(_mm_unpacklo_pi16(bgHigh, rHigh), firstPixelMask);
    const __m64 p67 = CompactPixelPair(_mm_unpackhi_pi16(bgHigh, rHigh), firstPixelMask);
    Variant::Store(out, _mm_or_si64(p01, _mm_slli_si64(p23, 48)));
    Variant::Store(out + 8, _mm_or_si64(_mm_srli_si64(p23, 16), _mm_slli_si64(p45, 32)));
    Variant::Store(out + 16, _mm_or_si64(_mm_srli_si64(p45, 32), _mm_slli_si64(p67, 16)));
}

template <class Variant>
inline void DecodeBlock64(BYTE* out, const BYTE* in, const typename Variant::Coefficients& k,
                          __m64 firstPixelMask) {
    __m64 units[4], chroma[4];
    for (int m = 0; m < 4; ++m) {
        units[m] = Load64(in + 8 * m);
        chroma[m] = _mm_and_si64(units[m], Variant::ChromaMask(k));
    }
    __m64 b[4], g[4], r[4];
    for (int m = 0; m < 4; ++m) {
        // The last pair of the block interpolates with itself.
        const __m64 next = m < 3 ? chroma[m + 1] : _mm_srli_si64(chroma[m], 32);
        const __m64 luma = Variant::Luma(units[m], k);
        const __m64 u = Variant::ChromaU(chroma[m], next, k);
        const __m64 v = Variant::ChromaV(chroma[m], next, k);
        b[m] = ToChannel(luma, Variant::BlueTerm(u, k));
        g[m] = ToChannel(luma, Variant::GreenTerm(u, v, k));
        r[m] = ToChannel(luma, Variant::RedTerm(v, k));
    }
    WeaveHalf<Variant>(out, {b[0], b[1]}, {g[0], g[1]}, {r[0], r[1]}, firstPixelMask);
    WeaveHalf<Variant>(out + 24, {b[2], b[3]}, {g[2], g[3]}, {r[2], r[3]}, firstPixelMask);
}

// Source row r goes to output row rows - 1 - r: the top-down field becomes bottom-up rows.
template <class Variant>
void DecodeField64(BYTE* destination, const BYTE* source, int width, int rows,
                   int destinationStride, int sourceStride) {
    const typename Variant::Coefficients k = Variant::LoadCoefficients(gYuvToRgbTable.Data());
    const __m64 firstPixelMask = _mm_cvtsi32_si64(0x00FFFFFF);
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(rows - 1 - row) * destinationStride;
        for (unsigned block = 0; block < blocks; ++block) {
            Variant::Prefetch(in);
            DecodeBlock64<Variant>(out, in, k, firstPixelMask);
            in += 32;
            out += 48;
        }
    }
    Variant::Finish();
}

}  // namespace
