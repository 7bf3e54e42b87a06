// SSE2 encoders: one pass of 16 pixels in 128-bit registers, unaligned loads, the next source
// row fetched while one is converted, and non-temporal aligned stores when every destination
// row is 16-byte aligned (ordinary unaligned stores otherwise), then a store fence. Compiled
// with MMX, SSE and SSE2. The block steps are inlined into the row loop, so no vector passes
// through memory between calls (the 32-bit driver has eight vector registers to hold them).
//
// They compute exactly the reference arithmetic: every channel is widened into a clean word
// (the byte in the high half and zeros below it, or the byte times 64 or 128), so each
// multiply-high sees the very value the reference multiplies and the luma has no residue.
// The source is sorted by 16-bit words rather than bytes: the words of each pixel pair go to
// registers of their own, and the even and odd pixels' channels come out of them directly.
#include <emmintrin.h>

#include <cstddef>

#include "convert/repack_row_walk.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"

namespace {

// The channel bytes of the eight even and the eight odd pixels, each in the high half of a
// word with zeros below: clean words, so the products see exactly the channel values.
struct PairChannels {
    __m128i blueEven, greenEven, redEven, blueOdd, greenOdd, redOdd;
};

__m128i Load128(const BYTE* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__m128i LowByteUp(__m128i words) {
    return _mm_slli_epi16(words, 8);
}

__m128i HighByte(__m128i words, __m128i highBytes) {
    return _mm_and_si128(words, highBytes);
}

// One perfect shuffle of the 24 words in x0..x2: word j moves to 2j mod 23. Three of them
// take word 3q + c to 8c + q, which sorts the three words of each pixel pair (B G, R B', G'
// R') into three registers.
void Riffle24Words(__m128i& x0, __m128i& x1, __m128i& x2) {
    const __m128i y0 = _mm_unpacklo_epi16(x0, _mm_srli_si128(x1, 8));
    const __m128i y1 = _mm_unpackhi_epi16(x0, _mm_slli_si128(x2, 8));
    const __m128i y2 = _mm_unpacklo_epi16(x1, _mm_srli_si128(x2, 8));
    x0 = y0;
    x1 = y1;
    x2 = y2;
}

// The even and odd pixels' channels from the three words of each pixel pair: (B, G), (R, B'),
// (G', R').
[[gnu::always_inline]] inline PairChannels SplitRgb24(const BYTE* in, __m128i highBytes) {
    __m128i x0 = Load128(in), x1 = Load128(in + 16), x2 = Load128(in + 32);
    for (int i = 0; i < 3; ++i) {
        Riffle24Words(x0, x1, x2);
    }
    return {LowByteUp(x0),           HighByte(x0, highBytes), LowByteUp(x1),
            HighByte(x1, highBytes), LowByteUp(x2),           HighByte(x2, highBytes)};
}

// The same shuffle for 32 words (word j to 2j mod 31): three take word 4q + c to 8c + q, the
// four words of each pixel pair (B G, R x, B' G', R' x').
[[gnu::always_inline]] inline PairChannels SplitRgb32(const BYTE* in, __m128i highBytes) {
    __m128i x0 = Load128(in), x1 = Load128(in + 16), x2 = Load128(in + 32), x3 = Load128(in + 48);
    for (int i = 0; i < 3; ++i) {
        const __m128i y0 = _mm_unpacklo_epi16(x0, x2), y1 = _mm_unpackhi_epi16(x0, x2);
        const __m128i y2 = _mm_unpacklo_epi16(x1, x3), y3 = _mm_unpackhi_epi16(x1, x3);
        x0 = y0;
        x1 = y1;
        x2 = y2;
        x3 = y3;
    }
    return {LowByteUp(x0), HighByte(x0, highBytes), LowByteUp(x1),
            LowByteUp(x2), HighByte(x2, highBytes), LowByteUp(x3)};
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

// The byte sums of the eight pixel pairs, times 2^kSumShift (6 or 7). Both words are
// multiples of 256, so the rounding average of the two is their sum times 128 exactly.
template <int kSumShift>
__m128i PairSums(__m128i even, __m128i odd) {
    return _mm_srli_epi16(_mm_avg_epu16(even, odd), 7 - kSumShift);
}

__m128i Luma(__m128i b, __m128i g, __m128i r, const Coefficients& k) {
    __m128i sum = _mm_adds_epi16(_mm_mulhi_epu16(b, k.lumaB), _mm_mulhi_epu16(g, k.lumaG));
    sum = _mm_adds_epi16(sum, k.lumaOffset);
    sum = _mm_adds_epi16(sum, _mm_mulhi_epu16(r, k.lumaR));
    return _mm_srai_epi16(sum, 7);
}

// 32 UYVY bytes for 16 pixels.
template <class Store>
[[gnu::always_inline]] inline void EncodeBlock(BYTE* out, const PairChannels& p,
                                               const Coefficients& k) {
    const __m128i bc = _mm_mulhi_epu16(PairSums<6>(p.blueEven, p.blueOdd), k.chromaBR);
    const __m128i gc = _mm_mulhi_epu16(PairSums<7>(p.greenEven, p.greenOdd), k.chromaG);
    const __m128i rc = _mm_mulhi_epu16(PairSums<6>(p.redEven, p.redOdd), k.chromaBR);
    __m128i v = _mm_subs_epi16(rc, _mm_srai_epi16(gc, 1));
    v = _mm_subs_epi16(v, _mm_mulhi_epi16(bc, k.bToV));
    v = _mm_srai_epi16(_mm_adds_epi16(v, k.chromaOffset), 6);
    __m128i u = _mm_subs_epi16(bc, _mm_mulhi_epi16(gc, k.gToU));
    u = _mm_subs_epi16(u, _mm_mulhi_epi16(rc, k.rToU));
    u = _mm_srai_epi16(_mm_adds_epi16(u, k.chromaOffset), 6);

    const __m128i lumaEven = Luma(p.blueEven, p.greenEven, p.redEven, k);
    const __m128i lumaOdd = Luma(p.blueOdd, p.greenOdd, p.redOdd, k);

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

// The rows are read from the last upward, which no hardware prefetcher follows from one row to
// the next; the row walk fetches each next row while one is converted.
void FetchLine(const BYTE* at) {
    _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
}

struct Rgb24 {
    static constexpr int kGroupBytes = 48;
    [[gnu::always_inline]] static PairChannels Split(const BYTE* in, __m128i highBytes) {
        return SplitRgb24(in, highBytes);
    }
};

struct Rgb32 {
    static constexpr int kGroupBytes = 64;
    [[gnu::always_inline]] static PairChannels Split(const BYTE* in, __m128i highBytes) {
        return SplitRgb32(in, highBytes);
    }
};

// Destination row k takes source row rows - 1 - k: the bottom-up rows become a top-down field,
// walked from the last source row with the stride negated. One group per turn keeps the
// block's values within the 32-bit driver's eight registers.
template <class Store, class Format>
void EncodeRows(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const BYTE* lastRow = source + static_cast<std::ptrdiff_t>(rows - 1) * sourceStride;
    repack::WalkRowsFetchingNext(
        destination, lastRow, width, rows, destinationStride, -sourceStride, Format::kGroupBytes,
        [&k](BYTE* out, const BYTE* in) {
            EncodeBlock<Store>(out, Format::Split(in, k.highBytes), k);
        },
        FetchLine);
}

// One alignment test per call: the stride is part of it, so every row shares the first
// row's alignment (the sessions' strides always do).
template <class Format>
void EncodeField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                 int sourceStride) {
    if (reinterpret_cast<UINT_PTR>(destination) % 16 == 0 && destinationStride % 16 == 0) {
        EncodeRows<StreamingStore, Format>(destination, source, width, rows, destinationStride,
                                           sourceStride);
    } else {
        EncodeRows<UnalignedStore, Format>(destination, source, width, rows, destinationStride,
                                           sourceStride);
    }
    _mm_sfence();
    _mm_empty();
}

}  // namespace

void EncodeRgb24Field_SSE2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<Rgb24>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_SSE2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<Rgb32>(destination, source, width, rows, destinationStride, sourceStride);
}
