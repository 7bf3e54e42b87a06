// The 64-bit (MMX register) block conversions shared by the MMX, SSE and AMD kernels, which
// differ only in how they prefetch and store. Each variant file supplies an Access policy:
//     static void Prefetch(const BYTE* in);        // once per block, before it is read
//     static void Store(BYTE* out, __m64 value);   // 8 bytes, any alignment
//     static void Finish();                        // after the last row (fence, EMMS)
// The functions live in an unnamed namespace on purpose: every variant file compiles its own
// copy with its own instruction-set flags, and no copy may stand in for another at link time.
#pragma once

#include <mmintrin.h>

#include <cstring>

#include "convert/repack_row_walk.h"

namespace {

inline __m64 Load64(const BYTE* at) {
    __m64 word;
    std::memcpy(&word, at, sizeof word);  // one unaligned 8-byte load
    return word;
}

// Words of 0x00FF, made in a register rather than loaded.
inline __m64 LowByteMask64(__m64 any) {
    return _mm_srli_pi16(_mm_cmpeq_pi16(any, any), 8);
}

template <class Access, class Block>
void ConvertRows64(BYTE* destination, const BYTE* source, int width, int rows,
                   int destinationStride, int sourceStride, int sourceBlockBytes, Block block) {
    repack::WalkRows(destination, source, width, rows, destinationStride, sourceStride,
                     sourceBlockBytes, [block](BYTE* out, const BYTE* in) {
                         Access::Prefetch(in);
                         block(out, in);
                     });
    Access::Finish();
}

template <class Access>
void SwapBytePairs64(BYTE* out, const BYTE* in) {
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        const __m64 units = Load64(in + 8 * q);
        Access::Store(out + 8 * q, _mm_or_si64(_mm_slli_pi16(units, 8), _mm_srli_pi16(units, 8)));
    }
}

// Each 4-byte pair is rotated by one byte: towards the high end to pack YVYU, towards the low
// end to unpack it.
template <class Access>
void RotatePairsUp64(BYTE* out, const BYTE* in) {
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        const __m64 pairs = Load64(in + 8 * q);
        Access::Store(out + 8 * q, _mm_or_si64(_mm_slli_pi32(pairs, 8), _mm_srli_pi32(pairs, 24)));
    }
}

template <class Access>
void RotatePairsDown64(BYTE* out, const BYTE* in) {
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        const __m64 pairs = Load64(in + 8 * q);
        Access::Store(out + 8 * q, _mm_or_si64(_mm_srli_pi32(pairs, 8), _mm_slli_pi32(pairs, 24)));
    }
}

// Sixteen luma bytes and eight U and eight V bytes to eight UYVY pairs.
template <class Access>
void InterleaveBlock64(BYTE* out, const BYTE* luma, const BYTE* u, const BYTE* v) {
    const __m64 uSamples = Load64(u);
    const __m64 vSamples = Load64(v);
    const __m64 uvLow = _mm_unpacklo_pi8(uSamples, vSamples);
    const __m64 uvHigh = _mm_unpackhi_pi8(uSamples, vSamples);
    const __m64 lumaLow = Load64(luma);
    const __m64 lumaHigh = Load64(luma + 8);
    Access::Store(out, _mm_unpacklo_pi8(uvLow, lumaLow));
    Access::Store(out + 8, _mm_unpackhi_pi8(uvLow, lumaLow));
    Access::Store(out + 16, _mm_unpacklo_pi8(uvHigh, lumaHigh));
    Access::Store(out + 24, _mm_unpackhi_pi8(uvHigh, lumaHigh));
}

template <class Access>
void PackY16Block64(BYTE* out, const BYTE* in) {
    InterleaveBlock64<Access>(out, in, in + 16, in + 24);
}

template <class Access>
void PackY16ABlock64(BYTE* out, const BYTE* in) {
    InterleaveBlock64<Access>(out, in, in + 32, in + 40);
}

template <class Access>
void UnpackY16Block64(BYTE* out, const BYTE* in) {
    const __m64 q0 = Load64(in);
    const __m64 q1 = Load64(in + 8);
    const __m64 q2 = Load64(in + 16);
    const __m64 q3 = Load64(in + 24);
    const __m64 mask = LowByteMask64(q0);
    Access::Store(out, _mm_packs_pu16(_mm_srli_pi16(q0, 8), _mm_srli_pi16(q1, 8)));
    Access::Store(out + 8, _mm_packs_pu16(_mm_srli_pi16(q2, 8), _mm_srli_pi16(q3, 8)));
    // U0 V0 U1 V1 ... of pairs 0-3 and 4-7, then split into U and V.
    const __m64 chromaLow = _mm_packs_pu16(_mm_and_si64(q0, mask), _mm_and_si64(q1, mask));
    const __m64 chromaHigh = _mm_packs_pu16(_mm_and_si64(q2, mask), _mm_and_si64(q3, mask));
    Access::Store(out + 16,
                  _mm_packs_pu16(_mm_and_si64(chromaLow, mask), _mm_and_si64(chromaHigh, mask)));
    Access::Store(out + 24,
                  _mm_packs_pu16(_mm_srli_pi16(chromaLow, 8), _mm_srli_pi16(chromaHigh, 8)));
}

}  // namespace

// Defines the six 64-bit kernels of one variant from its Access policy. The variant files
// differ in their policies (and the SSE file in its "Y16A" loop), not in their arithmetic.
#define QLNU_DEFINE_KERNEL_64(name, suffix, Access, sourceBlockBytes, Block)                     \
    void name##_##suffix(BYTE* destination, const BYTE* source, int width, int rows,             \
                         int destinationStride, int sourceStride) {                              \
        ConvertRows64<Access>(destination, source, width, rows, destinationStride, sourceStride, \
                              sourceBlockBytes,                                                  \
                              [](BYTE* out, const BYTE* in) { Block<Access>(out, in); });        \
    }
