// AVX2 encoders: the SSE2 encoders' arithmetic and word sorting in 256-bit registers, two
// groups of 16 pixels at a time, one per 128-bit lane, so that every step stays within its
// lane; a last lone group fills both lanes and stores one. (Sorting four groups at once, as
// the SSE2 encoder sorts two, takes more registers than the 32-bit driver has, and gains
// nothing on x86-64 either.) Unaligned loads, the next source row prefetched while one is
// converted, non-temporal stores where the destination rows allow them (avx2_stores.h), then a
// store fence and EMMS. Compiled with AVX2.
//
// Like the SSE2 encoders, they compute exactly the reference arithmetic, from the 16-byte
// table layout: every channel is widened into a clean word before its multiply-high.
#include <immintrin.h>

#include <cstddef>

#include "convert/avx2_stores.h"
#include "convert/rgb_field_kernels.h"
#include "convert/rgb_to_yuv_coefficients.h"

namespace {

using avx2::LoadBothLanes;
using avx2::LoadLanes;

// The channel bytes of the eight even and the eight odd pixels of each lane's group, each in
// the high half of a word with zeros below.
struct PairChannels {
    __m256i blueEven, greenEven, redEven, blueOdd, greenOdd, redOdd;
};

__m256i LowByteUp(__m256i words) {
    return _mm256_slli_epi16(words, 8);
}

__m256i HighByte(__m256i words, __m256i highBytes) {
    return _mm256_and_si256(words, highBytes);
}

// Within each lane: one perfect shuffle of the 24 words in x0..x2 (word j to 2j mod 23); three
// of them sort the three words of each pixel pair (B G, R B', G' R') into three registers.
void Riffle24Words(__m256i& x0, __m256i& x1, __m256i& x2) {
    const __m256i y0 = _mm256_unpacklo_epi16(x0, _mm256_srli_si256(x1, 8));
    const __m256i y1 = _mm256_unpackhi_epi16(x0, _mm256_slli_si256(x2, 8));
    const __m256i y2 = _mm256_unpacklo_epi16(x1, _mm256_srli_si256(x2, 8));
    x0 = y0;
    x1 = y1;
    x2 = y2;
}

PairChannels ChannelsOfRgb24Pairs(__m256i bg, __m256i rb, __m256i gr, __m256i highBytes) {
    return {LowByteUp(bg),           HighByte(bg, highBytes), LowByteUp(rb),
            HighByte(rb, highBytes), LowByteUp(gr),           HighByte(gr, highBytes)};
}

// One group per lane, its 48 bytes already loaded into x0..x2.
[[gnu::always_inline]] inline PairChannels SplitRgb24(__m256i x0, __m256i x1, __m256i x2,
                                                      __m256i highBytes) {
    for (int i = 0; i < 3; ++i) {
        Riffle24Words(x0, x1, x2);
    }
    return ChannelsOfRgb24Pairs(x0, x1, x2, highBytes);
}

// One group per lane, its 64 bytes already loaded into x0..x3; three shuffles of 32 words
// (word j to 2j mod 31) take word 4q + c to 8c + q: B G, R x, B' G', R' x'.
[[gnu::always_inline]] inline PairChannels SplitRgb32(__m256i x0, __m256i x1, __m256i x2,
                                                      __m256i x3, __m256i highBytes) {
    for (int i = 0; i < 3; ++i) {
        const __m256i y0 = _mm256_unpacklo_epi16(x0, x2), y1 = _mm256_unpackhi_epi16(x0, x2);
        const __m256i y2 = _mm256_unpacklo_epi16(x1, x3), y3 = _mm256_unpackhi_epi16(x1, x3);
        x0 = y0;
        x1 = y1;
        x2 = y2;
        x3 = y3;
    }
    return {LowByteUp(x0), HighByte(x0, highBytes), LowByteUp(x1),
            LowByteUp(x2), HighByte(x2, highBytes), LowByteUp(x3)};
}

struct Coefficients {
    __m256i lumaB, lumaG, lumaR, lumaOffset, chromaBR, chromaG, bToV, gToU, rToU, chromaOffset;
    __m256i highBytes;
};

Coefficients LoadCoefficients() {
    const BYTE* table = gRgbToYuvTable.Data();
    auto entry = [table](int i) {
        return _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i)));
    };
    return {entry(kLumaWeightB),
            entry(kLumaWeightG),
            entry(kLumaWeightR),
            entry(kLumaOffset),
            entry(kChromaWeightBR),
            entry(kChromaWeightG),
            entry(kBToVFromU),
            entry(kGToUFromV),
            entry(kRToUFromV),
            entry(kChromaOffset),
            _mm256_set1_epi16(static_cast<short>(0xFF00))};
}

// The byte sums of the eight pixel pairs, times 2^kSumShift (6 or 7). Both words are
// multiples of 256, so the rounding average of the two is their sum times 128 exactly.
template <int kSumShift>
__m256i PairSums(__m256i even, __m256i odd) {
    return _mm256_srli_epi16(_mm256_avg_epu16(even, odd), 7 - kSumShift);
}

__m256i Luma(__m256i b, __m256i g, __m256i r, const Coefficients& k) {
    __m256i sum = _mm256_adds_epi16(_mm256_mulhi_epu16(b, k.lumaB), _mm256_mulhi_epu16(g, k.lumaG));
    sum = _mm256_adds_epi16(sum, k.lumaOffset);
    sum = _mm256_adds_epi16(sum, _mm256_mulhi_epu16(r, k.lumaR));
    return _mm256_srai_epi16(sum, 7);
}

// The 32 UYVY bytes of each lane's group.
struct EncodedGroups {
    __m256i low, high;
};

[[gnu::always_inline]] inline EncodedGroups Encode(const PairChannels& p, const Coefficients& k) {
    const __m256i bc = _mm256_mulhi_epu16(PairSums<6>(p.blueEven, p.blueOdd), k.chromaBR);
    const __m256i gc = _mm256_mulhi_epu16(PairSums<7>(p.greenEven, p.greenOdd), k.chromaG);
    const __m256i rc = _mm256_mulhi_epu16(PairSums<6>(p.redEven, p.redOdd), k.chromaBR);
    __m256i v = _mm256_subs_epi16(rc, _mm256_srai_epi16(gc, 1));
    v = _mm256_subs_epi16(v, _mm256_mulhi_epi16(bc, k.bToV));
    v = _mm256_srai_epi16(_mm256_adds_epi16(v, k.chromaOffset), 6);
    __m256i u = _mm256_subs_epi16(bc, _mm256_mulhi_epi16(gc, k.gToU));
    u = _mm256_subs_epi16(u, _mm256_mulhi_epi16(rc, k.rToU));
    u = _mm256_srai_epi16(_mm256_adds_epi16(u, k.chromaOffset), 6);

    const __m256i lumaEven = Luma(p.blueEven, p.greenEven, p.redEven, k);
    const __m256i lumaOdd = Luma(p.blueOdd, p.greenOdd, p.redOdd, k);

    // Per lane: U0..U7 V0..V7 and Yeven0..7 Yodd0..7, clamped to bytes, woven into U Y V Y.
    const __m256i chroma = _mm256_packus_epi16(u, v);
    const __m256i luma = _mm256_packus_epi16(lumaEven, lumaOdd);
    const __m256i uy = _mm256_unpacklo_epi8(chroma, luma);
    const __m256i vy = _mm256_unpackhi_epi8(chroma, luma);
    const __m256i front = _mm256_unpacklo_epi16(uy, vy);
    const __m256i back = _mm256_unpackhi_epi16(uy, vy);
    return {_mm256_permute2x128_si256(front, back, 0x20),
            _mm256_permute2x128_si256(front, back, 0x31)};
}

// The rows are read from the last upward, each left to right, which no hardware prefetcher
// follows from one row to the next: while one row is converted, the same stretch of the next
// row is fetched, a whole row ahead.
void PrefetchLines(const BYTE* at, int lines) {
    for (int line = 0; line < lines; ++line) {
        avx2::FetchLine(at + 64 * line);
    }
}

struct Rgb32 {
    template <class Store>
    static void EncodeRow(BYTE* out, const BYTE* in, std::ptrdiff_t toNextRow, unsigned groups,
                          const Coefficients& k) {
        for (; groups >= 2; groups -= 2, in += 128, out += 64) {
            PrefetchLines(in + toNextRow, 2);
            const EncodedGroups encoded = Encode(
                SplitRgb32(LoadLanes(in, in + 64), LoadLanes(in + 16, in + 80),
                           LoadLanes(in + 32, in + 96), LoadLanes(in + 48, in + 112), k.highBytes),
                k);
            Store::Put(out, encoded.low);
            Store::Put(out + 32, encoded.high);
        }
        if (groups == 1) {
            PrefetchLines(in + toNextRow, 1);
            Store::Put(
                out, Encode(SplitRgb32(LoadBothLanes(in), LoadBothLanes(in + 16),
                                       LoadBothLanes(in + 32), LoadBothLanes(in + 48), k.highBytes),
                            k)
                         .low);
        }
    }
};

// Two groups per turn, one per lane, while two are left; a last lone group fills both lanes.
struct Rgb24 {
    template <class Store>
    static void EncodeRow(BYTE* out, const BYTE* in, std::ptrdiff_t toNextRow, unsigned groups,
                          const Coefficients& k) {
        for (; groups >= 2; groups -= 2, in += 96, out += 64) {
            PrefetchLines(in + toNextRow, 2);
            const EncodedGroups encoded =
                Encode(SplitRgb24(LoadLanes(in, in + 48), LoadLanes(in + 16, in + 64),
                                  LoadLanes(in + 32, in + 80), k.highBytes),
                       k);
            Store::Put(out, encoded.low);
            Store::Put(out + 32, encoded.high);
        }
        if (groups == 1) {
            PrefetchLines(in + toNextRow, 2);
            Store::Put(out, Encode(SplitRgb24(LoadBothLanes(in), LoadBothLanes(in + 16),
                                              LoadBothLanes(in + 32), k.highBytes),
                                   k)
                                .low);
        }
    }
};

// Destination row k takes source row rows - 1 - k: the bottom-up rows become a top-down field.
template <class Format>
void EncodeField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                 int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const unsigned groups = static_cast<unsigned>(width) / 16;
    avx2::WithStores(destination, destinationStride, [&]<class Store>() {
        for (int row = 0; row < rows; ++row) {
            const BYTE* in = source + static_cast<std::ptrdiff_t>(rows - 1 - row) * sourceStride;
            BYTE* out = destination + static_cast<std::ptrdiff_t>(row) * destinationStride;
            // The last row fetches itself again, which costs nothing.
            const std::ptrdiff_t toNextRow = row + 1 < rows ? -sourceStride : 0;
            Format::template EncodeRow<Store>(out, in, toNextRow, groups, k);
        }
    });
}

}  // namespace

void EncodeRgb24Field_AVX2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<Rgb24>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_AVX2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    EncodeField<Rgb32>(destination, source, width, rows, destinationStride, sourceStride);
}
