// SSE2 encoders: one pass of 16 pixels in 128-bit registers, unaligned loads, prefetch 128
// bytes ahead, and non-temporal aligned stores when every destination row is 16-byte aligned
// (ordinary unaligned stores otherwise), then a store fence. Compiled with MMX, SSE and SSE2.
//
// They compute exactly the reference arithmetic: every channel is widened into a clean word
// (the byte in the high half and zeros below it, or the byte times 64 or 128), so each
// multiply-high sees the very value the reference multiplies and the luma has no residue.
#include <emmintrin.h>

#include <cstddef>

#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"

namespace {

constexpr int kPrefetchDistance = 128;

struct Planes {
    __m128i b, g, r;  // one byte per pixel, pixels 0 to 15
};

__m128i Load128(const BYTE* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One perfect shuffle of the 48 bytes in x0..x2: byte j moves to 2j mod 47. Four of them take
// byte 3q + c to 16c + q, which sorts B, G, R pixels into three planes.
void Riffle48(__m128i& x0, __m128i& x1, __m128i& x2) {
    const __m128i y0 = _mm_unpacklo_epi8(x0, _mm_srli_si128(x1, 8));
    const __m128i y1 = _mm_unpackhi_epi8(x0, _mm_slli_si128(x2, 8));
    const __m128i y2 = _mm_unpacklo_epi8(x1, _mm_srli_si128(x2, 8));
    x0 = y0;
    x1 = y1;
    x2 = y2;
}

Planes SplitRgb24(const BYTE* in) {
    __m128i x0 = Load128(in), x1 = Load128(in + 16), x2 = Load128(in + 32);
    for (int i = 0; i < 4; ++i) {
        Riffle48(x0, x1, x2);
    }
    return {x0, x1, x2};
}

// The same shuffle for 64 bytes (byte j to 2j mod 63): four take byte 4q + c to 16c + q.
Planes SplitRgb32(const BYTE* in) {
    __m128i x0 = Load128(in), x1 = Load128(in + 16), x2 = Load128(in + 32), x3 = Load128(in + 48);
    for (int i = 0; i < 3; ++i) {
        const __m128i y0 = _mm_unpacklo_epi8(x0, x2), y1 = _mm_unpackhi_epi8(x0, x2);
        const __m128i y2 = _mm_unpacklo_epi8(x1, x3), y3 = _mm_unpackhi_epi8(x1, x3);
        x0 = y0;
        x1 = y1;
        x2 = y2;
        x3 = y3;
    }
    // The last shuffle need not produce the fourth bytes.
    return {_mm_unpacklo_epi8(x0, x2), _mm_unpackhi_epi8(x0, x2), _mm_unpacklo_epi8(x1, x3)};
}

struct Coefficients {
    __m128i lumaB, lumaG, lumaR, lumaOffset, chromaBR, chromaG, bToV, gToU, rToU, chromaOffset;
    __m128i highBytes;
};

Coefficients LoadCoefficients() {
    const BYTE* table = gRgbToYuvTable.Data();
    auto entry = [table](int i) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i));
    };
    const __m128i ones = _mm_cmpeq_epi16(_mm_setzero_si128(), _mm_setzero_si128());
    return {entry(kLumaWeightB),  entry(kLumaWeightG),    entry(kLumaWeightR),
            entry(kLumaOffset),   entry(kChromaWeightBR), entry(kChromaWeightG),
            entry(kBToVFromU),    entry(kGToUFromV),      entry(kRToUFromV),
            entry(kChromaOffset), _mm_slli_epi16(ones, 8)};
}

// A plane's 16 bytes as the words of the even and of the odd pixels, each byte in the high
// half of its word, and the byte sums of the eight pixel pairs times 2^sumShift.
struct Channel {
    __m128i even, odd, pairSum;
};

template <int kSumShift>
Channel Widen(__m128i plane, const Coefficients& k) {
    const __m128i even = _mm_slli_epi16(plane, 8);
    const __m128i odd = _mm_and_si128(plane, k.highBytes);
    const __m128i pairSum =
        _mm_add_epi16(_mm_srli_epi16(even, 8 - kSumShift), _mm_srli_epi16(odd, 8 - kSumShift));
    return {even, odd, pairSum};
}

__m128i Luma(__m128i b, __m128i g, __m128i r, const Coefficients& k) {
    __m128i sum = _mm_adds_epi16(_mm_mulhi_epu16(b, k.lumaB), _mm_mulhi_epu16(g, k.lumaG));
    sum = _mm_adds_epi16(sum, k.lumaOffset);
    sum = _mm_adds_epi16(sum, _mm_mulhi_epu16(r, k.lumaR));
    return _mm_srai_epi16(sum, 7);
}

// 32 UYVY bytes for 16 pixels.
template <class Store>
void EncodeBlock(BYTE* out, const Planes& planes, const Coefficients& k) {
    const Channel b = Widen<6>(planes.b, k);
    const Channel g = Widen<7>(planes.g, k);
    const Channel r = Widen<6>(planes.r, k);

    const __m128i bc = _mm_mulhi_epu16(b.pairSum, k.chromaBR);
    const __m128i gc = _mm_mulhi_epu16(g.pairSum, k.chromaG);
    const __m128i rc = _mm_mulhi_epu16(r.pairSum, k.chromaBR);
    __m128i v = _mm_subs_epi16(rc, _mm_srai_epi16(gc, 1));
    v = _mm_subs_epi16(v, _mm_mulhi_epi16(bc, k.bToV));
    v = _mm_srai_epi16(_mm_adds_epi16(v, k.chromaOffset), 6);
    __m128i u = _mm_subs_epi16(bc, _mm_mulhi_epi16(gc, k.gToU));
    u = _mm_subs_epi16(u, _mm_mulhi_epi16(rc, k.rToU));
    u = _mm_srai_epi16(_mm_adds_epi16(u, k.chromaOffset), 6);

    const __m128i lumaEven = Luma(b.even, g.even, r.even, k);
    const __m128i lumaOdd = Luma(b.odd, g.odd, r.odd, k);

    // U0..U7 V0..V7 and Yeven0..7 Yodd0..7, clamped to bytes, woven into U Y V Y.
    const __m128i chroma = _mm_packus_epi16(u, v);
    const __m128i luma = _mm_packus_epi16(lumaEven, lumaOdd);
    const __m128i uy = _mm_unpacklo_epi8(chroma, luma);
    const __m128i vy = _mm_unpackhi_epi8(chroma, luma);
    Store::Put(out, _mm_unpacklo_epi16(uy, vy));
    Store::Put(out + 16, _mm_unpackhi_epi16(uy, vy));
}

struct StreamingStore {
    static void Put(BYTE* out, __m128i value) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

struct UnalignedStore {
    static void Put(BYTE* out, __m128i value) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

// Destination row k takes source row rows - 1 - k: the bottom-up rows become a top-down field.
template <class Store, Planes (*kSplit)(const BYTE*), int kSourceBlockBytes>
void EncodeRows(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const unsigned groups = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(rows - 1 - row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(row) * destinationStride;
        for (unsigned group = 0; group < groups; ++group) {
            _mm_prefetch(reinterpret_cast<const char*>(in) + kPrefetchDistance, _MM_HINT_NTA);
            EncodeBlock<Store>(out, kSplit(in), k);
            in += kSourceBlockBytes;
            out += 32;
        }
    }
}

// One alignment test per call: the stride is part of it, so every row shares the first
// row's alignment (the sessions' strides always do).
template <Planes (*kSplit)(const BYTE*), int kSourceBlockBytes>
void EncodeField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                 int sourceStride) {
    if (reinterpret_cast<UINT_PTR>(destination) % 16 == 0 && destinationStride % 16 == 0) {
        EncodeRows<StreamingStore, kSplit, kSourceBlockBytes>(destination, source, width, rows,
                                                              destinationStride, sourceStride);
    } else {
        EncodeRows<UnalignedStore, kSplit, kSourceBlockBytes>(destination, source, width, rows,
                                                              destinationStride, sourceStride);
    }
    _mm_sfence();
    _mm_empty();
}

}  // namespace

void EncodeRgb24Field_SSE2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<SplitRgb24, 48>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_SSE2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<SplitRgb32, 64>(destination, source, width, rows, destinationStride, sourceStride);
}
