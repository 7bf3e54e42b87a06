// SSE2 decoder: one pass of 16 pixels in 128-bit registers, in the extended arithmetic.
// Unaligned loads, prefetch 128 bytes ahead, aligned table loads, and non-temporal aligned
// stores when every output row is 16-byte aligned (ordinary unaligned stores otherwise), then
// a store fence and EMMS. Compiled with MMX, SSE and SSE2.
//
// The block is worked on per pixel pair: the 16-bit units of the even pixels (U and Y) and of
// the odd pixels (V and Y) go to two registers, so each pair's chroma is one lane, and the
// B, G, R results are woven into three bytes per pixel at the end.
#include <emmintrin.h>

#include <cstddef>

#include "convert/rgb_field_kernels.h"
#include "convert/yuv_to_rgb_coefficients.h"

namespace {

constexpr int kPrefetchDistance = 128;

struct Coefficients {
    __m128i chromaMask, lumaGain, halfChromaBias, lumaOffset, gFromU, gFromV, bFromU, rFromV;
    // Word lanes taken from the pair words when three of them are woven into output bytes.
    __m128i weave0, weave1, weave2;
};

Coefficients LoadCoefficients() {
    const BYTE* table = gYuvToRgbTable.Data();
    auto group = [table](int i) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i));
    };
    return {group(0),
            group(1),
            group(2),
            group(3),
            group(4),
            group(5),
            group(6),
            group(7),
            _mm_setr_epi16(-1, -1, 0, -1, -1, 0, -1, -1),
            _mm_setr_epi16(0, -1, -1, 0, -1, -1, 0, -1),
            _mm_setr_epi16(-1, 0, -1, -1, 0, -1, -1, 0)};
}

__m128i Load128(const BYTE* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// The 16-bit units of the even pixels (U_j | Y_2j << 8) and of the odd pixels
// (V_j | Y_2j+1 << 8) of one block. Each perfect shuffle of the 16 units moves unit j to
// 2j mod 15; three of them take unit 2j + c to 8c + j.
void SplitUnits(const BYTE* in, __m128i& evenUnits, __m128i& oddUnits) {
    __m128i x0 = Load128(in), x1 = Load128(in + 16);
    for (int i = 0; i < 3; ++i) {
        const __m128i y0 = _mm_unpacklo_epi16(x0, x1);
        x1 = _mm_unpackhi_epi16(x0, x1);
        x0 = y0;
    }
    evenUnits = x0;
    oddUnits = x1;
}

// Chroma terms of one component for the even pixels (the pair's own sample) and the odd
// pixels (the mean of the pair and the next one, the last pair taking its own again).
struct ChromaTerms {
    __m128i even, odd;
};

ChromaTerms Chroma(__m128i samples, const Coefficients& k) {
    const __m128i half = _mm_add_epi16(_mm_slli_epi16(samples, 5), k.halfChromaBias);
    const __m128i nextHalf = _mm_shufflehi_epi16(_mm_srli_si128(half, 2), _MM_SHUFFLE(2, 2, 1, 0));
    return {_mm_add_epi16(half, half), _mm_add_epi16(half, nextHalf)};
}

__m128i Channel(__m128i luma, __m128i chromaTerm) {
    return _mm_srai_epi16(_mm_adds_epi16(luma, chromaTerm), 3);
}

__m128i Select(__m128i mask, __m128i fromMask, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, fromMask), _mm_andnot_si128(mask, otherwise));
}

// Pair j's six bytes are the words a_j, b_j, c_j: (B, G) and (R, B') and (G', R'), primes
// for the odd pixel. The three registers hold a0 b0 c0 a1 b1 c1 a2 b2 | c2 a3 ... c7.
template <class Store>
void Weave(BYTE* out, __m128i a, __m128i b, __m128i c, const Coefficients& k) {
    const __m128i abLow = _mm_unpacklo_epi16(a, b);   // dwords ab0 ab1 ab2 ab3
    const __m128i abHigh = _mm_unpackhi_epi16(a, b);  // dwords ab4 ab5 ab6 ab7

    __m128i ab = _mm_shuffle_epi32(abLow, _MM_SHUFFLE(2, 1, 1, 0));
    ab = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ab, _MM_SHUFFLE(2, 2, 1, 0)),
                             _MM_SHUFFLE(3, 2, 1, 1));
    Store::Put(out, Select(k.weave0, ab, _mm_shuffle_epi32(c, _MM_SHUFFLE(0, 0, 0, 0))));

    ab = _mm_castpd_si128(
        _mm_shuffle_pd(_mm_castsi128_pd(abLow), _mm_castsi128_pd(abHigh), 1));  // ab2..ab5
    ab = _mm_shuffle_epi32(ab, _MM_SHUFFLE(3, 2, 1, 1));
    ab = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ab, _MM_SHUFFLE(0, 1, 0, 0)),
                             _MM_SHUFFLE(2, 2, 1, 0));
    Store::Put(out + 16, Select(k.weave1, ab, _mm_shuffle_epi32(c, _MM_SHUFFLE(2, 2, 1, 1))));

    ab = _mm_shuffle_epi32(abHigh, _MM_SHUFFLE(3, 2, 2, 1));
    ab = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ab, _MM_SHUFFLE(3, 2, 1, 1)),
                             _MM_SHUFFLE(3, 3, 2, 2));
    Store::Put(out + 32, Select(k.weave2, ab, _mm_shuffle_epi32(c, _MM_SHUFFLE(3, 3, 2, 2))));
}

template <class Store>
void DecodeBlock(BYTE* out, const BYTE* in, const Coefficients& k) {
    __m128i evenUnits, oddUnits;
    SplitUnits(in, evenUnits, oddUnits);

    // The whole unit is multiplied, chroma byte included.
    const __m128i lumaEven = _mm_adds_epi16(_mm_mulhi_epu16(evenUnits, k.lumaGain), k.lumaOffset);
    const __m128i lumaOdd = _mm_adds_epi16(_mm_mulhi_epu16(oddUnits, k.lumaGain), k.lumaOffset);
    const ChromaTerms u = Chroma(_mm_and_si128(evenUnits, k.chromaMask), k);
    const ChromaTerms v = Chroma(_mm_and_si128(oddUnits, k.chromaMask), k);

    const __m128i bEven = Channel(lumaEven, _mm_mulhi_epi16(u.even, k.bFromU));
    const __m128i bOdd = Channel(lumaOdd, _mm_mulhi_epi16(u.odd, k.bFromU));
    const __m128i gEven = Channel(lumaEven, _mm_adds_epi16(_mm_mulhi_epi16(u.even, k.gFromU),
                                                           _mm_mulhi_epi16(v.even, k.gFromV)));
    const __m128i gOdd = Channel(lumaOdd, _mm_adds_epi16(_mm_mulhi_epi16(u.odd, k.gFromU),
                                                         _mm_mulhi_epi16(v.odd, k.gFromV)));
    const __m128i rEven = Channel(lumaEven, _mm_mulhi_epi16(v.even, k.rFromV));
    const __m128i rOdd = Channel(lumaOdd, _mm_mulhi_epi16(v.odd, k.rFromV));

    // Clamped to bytes and paired into the words (B, G), (R, B') and (G', R').
    const __m128i blueRed = _mm_packus_epi16(bEven, rEven);
    const __m128i greenBlue = _mm_packus_epi16(gEven, bOdd);
    Weave<Store>(out, _mm_unpacklo_epi8(blueRed, greenBlue), _mm_unpackhi_epi8(blueRed, greenBlue),
                 _mm_unpacklo_epi8(_mm_packus_epi16(gOdd, gOdd), _mm_packus_epi16(rOdd, rOdd)), k);
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

// Source row r goes to output row rows - 1 - r: the top-down field becomes bottom-up rows.
template <class Store>
void DecodeRows(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(rows - 1 - row) * destinationStride;
        for (unsigned block = 0; block < blocks; ++block) {
            _mm_prefetch(reinterpret_cast<const char*>(in) + kPrefetchDistance, _MM_HINT_NTA);
            DecodeBlock<Store>(out, in, k);
            in += 32;
            out += 48;
        }
    }
}

}  // namespace

// One alignment test per call, on the destination and the stride: with a stride of whole
// 16-byte units every row is aligned as the destination is (the sessions' strides always are),
// although the rows are written bottom-up.
void DecodeRgb24Field_SSE2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    if (reinterpret_cast<UINT_PTR>(destination) % 16 == 0 && destinationStride % 16 == 0) {
        DecodeRows<StreamingStore>(destination, source, width, rows, destinationStride,
                                   sourceStride);
    } else {
        DecodeRows<UnalignedStore>(destination, source, width, rows, destinationStride,
                                   sourceStride);
    }
    _mm_sfence();
    _mm_empty();
}
