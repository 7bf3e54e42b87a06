// The 64-bit (MMX register) RGB encoders shared by the MMX, SSE and AMD variants. Each variant
// file supplies a Variant policy:
//     static __m64 LumaTerm(__m64 channel, __m64 weight);  // channel: byte << 8, clean
//     static constexpr int kLumaShift;                    // 6 (narrow) or 7
//     static constexpr int kGreenSumShift;                // green pair sums times 2^this
//     static __m64 GreenWeight(__m64 tableWeight);        // once per call
//     static __m64 GreenChroma(__m64 sum, __m64 weight);
//     template <int kSourceBlockBytes> static void Prefetch(const BYTE* in);  // per group
//     static void Store(BYTE* out, __m64 value);          // 8 bytes, any alignment
//     static void Finish();                               // after the last row
// Everything lives in an unnamed namespace on purpose: each variant file compiles its own copy
// with its own instruction-set flags, and no copy may stand in for another at link time.
//
// A group of 16 pixels is split into B, G and R planes at once, then converted in two passes
// of 8 pixels. Every channel enters the arithmetic as a clean word (the byte in the high half
// and zeros below), so no neighbouring byte leaks into a product.
#pragma once

#include <mmintrin.h>

#include <cstddef>
#include <cstring>

#include "convert/rgb_to_yuv_coefficients.h"

namespace {

struct Planes64 {
    __m64 b[2], g[2], r[2];  // one byte per pixel: pixels 0 to 7, then 8 to 15
};

inline __m64 Load64(const BYTE* at) {
    __m64 value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// One perfect shuffle of the 8·N bytes in x[0..N-1] (N even): byte j moves to 2j mod (8N-1).
template <int N>
inline void Riffle64(__m64 (&x)[N]) {
    __m64 y[N];
    for (int m = 0; m < N / 2; ++m) {
        y[2 * m] = _mm_unpacklo_pi8(x[m], x[m + N / 2]);
        y[2 * m + 1] = _mm_unpackhi_pi8(x[m], x[m + N / 2]);
    }
    for (int m = 0; m < N; ++m) {
        x[m] = y[m];
    }
}

// Four shuffles take byte P·q + c of a group with P bytes per pixel to 16c + q: the planes.
template <int kBytesPerPixel>
inline Planes64 SplitGroup(const BYTE* in) {
    constexpr int N = 2 * kBytesPerPixel;
    __m64 x[N];
    for (int m = 0; m < N; ++m) {
        x[m] = Load64(in + 8 * m);
    }
    for (int i = 0; i < 4; ++i) {
        Riffle64(x);
    }
    return {{x[0], x[1]}, {x[2], x[3]}, {x[4], x[5]}};
}

struct Coefficients64 {
    __m64 lumaB, lumaG, lumaR, lumaOffset, chromaBR, chromaG, bToV, gToU, rToU, chromaOffset;
    __m64 highBytes;
};

template <class Variant>
inline Coefficients64 LoadCoefficients64() {
    const BYTE* table = gRgbToYuvTable.Data();
    auto entry = [table](int i) { return Load64(table + 8 * i); };
    const __m64 ones = _mm_cmpeq_pi16(_mm_setzero_si64(), _mm_setzero_si64());
    return {
        entry(kLumaWeightB),  entry(kLumaWeightG),    entry(kLumaWeightR),
        entry(kLumaOffset),   entry(kChromaWeightBR), Variant::GreenWeight(entry(kChromaWeightG)),
        entry(kBToVFromU),    entry(kGToUFromV),      entry(kRToUFromV),
        entry(kChromaOffset), _mm_slli_pi16(ones, 8)};
}

struct Channel64 {
    __m64 even, odd, pairSum;
};

template <int kSumShift>
inline Channel64 Widen64(__m64 plane, const Coefficients64& k) {
    const __m64 even = _mm_slli_pi16(plane, 8);
    const __m64 odd = _mm_and_si64(plane, k.highBytes);
    const __m64 pairSum =
        _mm_add_pi16(_mm_srli_pi16(even, 8 - kSumShift), _mm_srli_pi16(odd, 8 - kSumShift));
    return {even, odd, pairSum};
}

template <class Variant>
inline __m64 Luma64(__m64 b, __m64 g, __m64 r, const Coefficients64& k) {
    __m64 sum = _mm_adds_pi16(Variant::LumaTerm(b, k.lumaB), Variant::LumaTerm(g, k.lumaG));
    sum = _mm_adds_pi16(sum, k.lumaOffset);
    sum = _mm_adds_pi16(sum, Variant::LumaTerm(r, k.lumaR));
    return _mm_srai_pi16(sum, Variant::kLumaShift);
}

// 16 UYVY bytes for 8 pixels, from their B, G and R plane bytes.
template <class Variant>
inline void EncodeHalf(BYTE* out, __m64 bPlane, __m64 gPlane, __m64 rPlane,
                       const Coefficients64& k) {
    const Channel64 b = Widen64<6>(bPlane, k);
    const Channel64 g = Widen64<Variant::kGreenSumShift>(gPlane, k);
    const Channel64 r = Widen64<6>(rPlane, k);

    const __m64 bc = _mm_mulhi_pi16(b.pairSum, k.chromaBR);
    const __m64 gc = Variant::GreenChroma(g.pairSum, k.chromaG);
    const __m64 rc = _mm_mulhi_pi16(r.pairSum, k.chromaBR);
    __m64 v = _mm_subs_pi16(rc, _mm_srai_pi16(gc, 1));
    v = _mm_subs_pi16(v, _mm_mulhi_pi16(bc, k.bToV));
    v = _mm_srai_pi16(_mm_adds_pi16(v, k.chromaOffset), 6);
    __m64 u = _mm_subs_pi16(bc, _mm_mulhi_pi16(gc, k.gToU));
    u = _mm_subs_pi16(u, _mm_mulhi_pi16(rc, k.rToU));
    u = _mm_srai_pi16(_mm_adds_pi16(u, k.chromaOffset), 6);

    const __m64 lumaEven = Luma64<Variant>(b.even, g.even, r.even, k);
    const __m64 lumaOdd = Luma64<Variant>(b.odd, g.odd, r.odd, k);

    // U0..U3 V0..V3 and Yeven0..3 Yodd0..3, clamped to bytes, woven into U Y V Y.
    const __m64 chroma = _mm_packs_pu16(u, v);
    const __m64 luma = _mm_packs_pu16(lumaEven, lumaOdd);
    const __m64 uy = _mm_unpacklo_pi8(chroma, luma);
    const __m64 vy = _mm_unpackhi_pi8(chroma, luma);
    Variant::Store(out, _mm_unpacklo_pi16(uy, vy));
    Variant::Store(out + 8, _mm_unpackhi_pi16(uy, vy));
}

// Destination row k takes source row rows - 1 - k: the bottom-up rows become a top-down field.
template <class Variant, int kBytesPerPixel>
void EncodeField64(BYTE* destination, const BYTE* source, int width, int rows,
                   int destinationStride, int sourceStride) {
    constexpr int kSourceBlockBytes = 16 * kBytesPerPixel;
    const Coefficients64 k = LoadCoefficients64<Variant>();
    const unsigned groups = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(rows - 1 - row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(row) * destinationStride;
        for (unsigned group = 0; group < groups; ++group) {
            Variant::template Prefetch<kSourceBlockBytes>(in);
            const Planes64 planes = SplitGroup<kBytesPerPixel>(in);
            EncodeHalf<Variant>(out, planes.b[0], planes.g[0], planes.r[0], k);
            EncodeHalf<Variant>(out + 16, planes.b[1], planes.g[1], planes.r[1], k);
            in += kSourceBlockBytes;
            out += 32;
        }
    }
    Variant::Finish();
}

}  // namespace
