// AVX2 decoder (x86-64 only): the SSE2 decoder's extended arithmetic and weave in 256-bit
// registers, two blocks of 16 pixels at a time, one per 128-bit lane, so that every step stays
// within its lane; a last lone block fills both lanes and stores one. Unaligned loads, prefetch
// 256 bytes ahead, non-temporal stores where the output rows allow them (avx2_stores.h), then
// a store fence and EMMS. Compiled with AVX2.
#include <immintrin.h>

#include <cstddef>

#include "convert/avx2_stores.h"
#include "convert/rgb_field_kernels.h"
#include "convert/yuv_to_rgb_coefficients.h"

namespace {

constexpr int kPrefetchDistance = 256;

struct Coefficients {
    __m256i chromaMask, lumaGain, halfChromaBias, lumaOffset, gFromU, gFromV, bFromU, rFromV;
    // Word lanes taken from the pair words when three of them are woven into output bytes.
    __m256i weave0, weave1, weave2;
};

Coefficients LoadCoefficients() {
    const BYTE* table = gYuvToRgbTable.Data();
    auto group = [table](int i) {
        return _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i)));
    };
    auto lanes = [](__m128i mask) { return _mm256_broadcastsi128_si256(mask); };
    return {group(0),
            group(1),
            group(2),
            group(3),
            group(4),
            group(5),
            group(6),
            group(7),
            lanes(_mm_setr_epi16(-1, -1, 0, -1, -1, 0, -1, -1)),
            lanes(_mm_setr_epi16(0, -1, -1, 0, -1, -1, 0, -1)),
            lanes(_mm_setr_epi16(-1, 0, -1, -1, 0, -1, -1, 0))};
}

// Per lane, the 16-bit units of the even pixels (U_j | Y_2j << 8) and of the odd pixels
// (V_j | Y_2j+1 << 8) of the lane's block, from its two halves in x0 and x1: three perfect
// shuffles of the 16 units take unit 2j + c to 8c + j.
void SplitUnits(__m256i x0, __m256i x1, __m256i& evenUnits, __m256i& oddUnits) {
    for (int i = 0; i < 3; ++i) {
        const __m256i y0 = _mm256_unpacklo_epi16(x0, x1);
        x1 = _mm256_unpackhi_epi16(x0, x1);
        x0 = y0;
    }
    evenUnits = x0;
    oddUnits = x1;
}

// Chroma terms of one component for the even pixels (the pair's own sample) and the odd
// pixels (the mean of the pair and the next one, the last pair taking its own again).
struct ChromaTerms {
    __m256i even, odd;
};

ChromaTerms Chroma(__m256i samples, const Coefficients& k) {
    const __m256i half = _mm256_add_epi16(_mm256_slli_epi16(samples, 5), k.halfChromaBias);
    const __m256i nextHalf =
        _mm256_shufflehi_epi16(_mm256_srli_si256(half, 2), _MM_SHUFFLE(2, 2, 1, 0));
    return {_mm256_add_epi16(half, half), _mm256_add_epi16(half, nextHalf)};
}

__m256i Channel(__m256i luma, __m256i chromaTerm) {
    return _mm256_srai_epi16(_mm256_adds_epi16(luma, chromaTerm), 3);
}

// The 48 output bytes of each lane's block, in three registers: bytes 0-15, 16-31, 32-47.
struct WovenBlocks {
    __m256i front, middle, back;
};

// Pair j's six bytes are the words a_j, b_j, c_j: (B, G) and (R, B') and (G', R'), primes
// for the odd pixel. Per lane, the three registers hold a0 b0 c0 a1 b1 c1 a2 b2 | c2 a3 ... c7.
WovenBlocks Weave(__m256i a, __m256i b, __m256i c, const Coefficients& k) {
    const __m256i abLow = _mm256_unpacklo_epi16(a, b);   // dwords ab0 ab1 ab2 ab3
    const __m256i abHigh = _mm256_unpackhi_epi16(a, b);  // dwords ab4 ab5 ab6 ab7

    __m256i ab = _mm256_shuffle_epi32(abLow, _MM_SHUFFLE(2, 1, 1, 0));
    ab = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(ab, _MM_SHUFFLE(2, 2, 1, 0)),
                                _MM_SHUFFLE(3, 2, 1, 1));
    const __m256i front =
        _mm256_blendv_epi8(_mm256_shuffle_epi32(c, _MM_SHUFFLE(0, 0, 0, 0)), ab, k.weave0);

    ab = _mm256_alignr_epi8(abHigh, abLow, 8);  // ab2..ab5
    ab = _mm256_shuffle_epi32(ab, _MM_SHUFFLE(3, 2, 1, 1));
    ab = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(ab, _MM_SHUFFLE(0, 1, 0, 0)),
                                _MM_SHUFFLE(2, 2, 1, 0));
    const __m256i middle =
        _mm256_blendv_epi8(_mm256_shuffle_epi32(c, _MM_SHUFFLE(2, 2, 1, 1)), ab, k.weave1);

    ab = _mm256_shuffle_epi32(abHigh, _MM_SHUFFLE(3, 2, 2, 1));
    ab = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(ab, _MM_SHUFFLE(3, 2, 1, 1)),
                                _MM_SHUFFLE(3, 3, 2, 2));
    const __m256i back =
        _mm256_blendv_epi8(_mm256_shuffle_epi32(c, _MM_SHUFFLE(3, 3, 2, 2)), ab, k.weave2);
    return {front, middle, back};
}

WovenBlocks DecodeBlocks(__m256i x0, __m256i x1, const Coefficients& k) {
    __m256i evenUnits, oddUnits;
    SplitUnits(x0, x1, evenUnits, oddUnits);

    // The whole unit is multiplied, chroma byte included.
    const __m256i lumaEven =
        _mm256_adds_epi16(_mm256_mulhi_epu16(evenUnits, k.lumaGain), k.lumaOffset);
    const __m256i lumaOdd =
        _mm256_adds_epi16(_mm256_mulhi_epu16(oddUnits, k.lumaGain), k.lumaOffset);
    const ChromaTerms u = Chroma(_mm256_and_si256(evenUnits, k.chromaMask), k);
    const ChromaTerms v = Chroma(_mm256_and_si256(oddUnits, k.chromaMask), k);

    const __m256i bEven = Channel(lumaEven, _mm256_mulhi_epi16(u.even, k.bFromU));
    const __m256i bOdd = Channel(lumaOdd, _mm256_mulhi_epi16(u.odd, k.bFromU));
    const __m256i gEven =
        Channel(lumaEven, _mm256_adds_epi16(_mm256_mulhi_epi16(u.even, k.gFromU),
                                            _mm256_mulhi_epi16(v.even, k.gFromV)));
    const __m256i gOdd = Channel(lumaOdd, _mm256_adds_epi16(_mm256_mulhi_epi16(u.odd, k.gFromU),
                                                            _mm256_mulhi_epi16(v.odd, k.gFromV)));
    const __m256i rEven = Channel(lumaEven, _mm256_mulhi_epi16(v.even, k.rFromV));
    const __m256i rOdd = Channel(lumaOdd, _mm256_mulhi_epi16(v.odd, k.rFromV));

    // Clamped to bytes and paired into the words (B, G), (R, B') and (G', R').
    const __m256i blueRed = _mm256_packus_epi16(bEven, rEven);
    const __m256i greenBlue = _mm256_packus_epi16(gEven, bOdd);
    return Weave(
        _mm256_unpacklo_epi8(blueRed, greenBlue), _mm256_unpackhi_epi8(blueRed, greenBlue),
        _mm256_unpacklo_epi8(_mm256_packus_epi16(gOdd, gOdd), _mm256_packus_epi16(rOdd, rOdd)), k);
}

// Two blocks, 64 source bytes to 96 output bytes.
template <class Store>
void DecodeTwoBlocks(BYTE* out, const BYTE* in, const Coefficients& k) {
    const WovenBlocks w =
        DecodeBlocks(avx2::LoadLanes(in, in + 32), avx2::LoadLanes(in + 16, in + 48), k);
    Store::Put(out, _mm256_permute2x128_si256(w.front, w.middle, 0x20));
    Store::Put(out + 32, _mm256_permute2x128_si256(w.back, w.front, 0x30));
    Store::Put(out + 64, _mm256_permute2x128_si256(w.middle, w.back, 0x31));
}

template <class Store>
void DecodeOneBlock(BYTE* out, const BYTE* in, const Coefficients& k) {
    const WovenBlocks w = DecodeBlocks(avx2::LoadBothLanes(in), avx2::LoadBothLanes(in + 16), k);
    Store::Put(out, _mm256_blend_epi32(w.front, w.middle, 0xF0));
    Store::Put(out + 32, _mm256_castsi256_si128(w.back));
}

// Source row r goes to output row rows - 1 - r: the top-down field becomes bottom-up rows.
template <class Store>
void DecodeRows(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(rows - 1 - row) * destinationStride;
        unsigned left = blocks;
        for (; left >= 2; left -= 2, in += 64, out += 96) {
            avx2::Prefetch(in + kPrefetchDistance);
            DecodeTwoBlocks<Store>(out, in, k);
        }
        if (left == 1) {
            DecodeOneBlock<Store>(out, in, k);
        }
    }
}

}  // namespace

void DecodeRgb24Field_AVX2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    const BYTE* firstWritten =
        destination + static_cast<std::ptrdiff_t>(rows - 1) * destinationStride;
    avx2::WithStores(firstWritten, destinationStride, [&]<class Store>() {
        DecodeRows<Store>(destination, source, width, rows, destinationStride, sourceStride);
    });
}
