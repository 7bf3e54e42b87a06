// MMX decoder (classes 1 and 3): the basic arithmetic with MMX instructions only, the narrow
// table, ordinary 64-bit stores and no prefetch. Compiled with MMX.
//
// Pixels stay in pixel order, four per register, so the narrow table's alternating groups
// give each odd pixel its halved coefficients: an odd pixel adds two chroma samples.
#include "convert/decode_rgb24_field_64.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct MmxVariant {
    struct Coefficients {
        __m64 lumaGain, lumaOffset, gFromU, gFromV, bFromU, rFromV;
        __m64 chromaBias;  // -8192 for even pixels, -16384 for odd ones
        __m64 chromaMask, lowWords;
    };

    static Coefficients LoadCoefficients(const BYTE* table) {
        auto group = [table](int i) { return Load64(table + 8 * i); };
        const __m64 ones = _mm_cmpeq_pi16(_mm_setzero_si64(), _mm_setzero_si64());
        const __m64 oddLanes = _mm_slli_pi32(ones, 16);
        const __m64 bias = group(0);
        return {group(1),
                group(2),
                group(3),
                group(4),
                group(5),
                group(6),
                _mm_add_pi16(bias, _mm_and_si64(bias, oddLanes)),
                _mm_srli_pi16(ones, 8),
                _mm_srli_pi32(ones, 16)};
    }

    // Y times 128, signed multiply-high by the gain.
    static __m64 Luma(__m64 units, const Coefficients& k) {
        const __m64 y128 = _mm_slli_pi16(_mm_srli_pi16(units, 8), 7);
        return _mm_adds_pi16(_mm_mulhi_pi16(y128, k.lumaGain), k.lumaOffset);
    }

    // Even lanes: 64·C_a - 8192, then 64·(C_a + C_b) - 16384, 64·C_b - 8192,
    // 64·(C_b + C_next) - 16384, for the samples C in the low words of `own` and `next`.
    static __m64 Interpolate(__m64 own, __m64 next, const Coefficients& k) {
        const __m64 duplicated = _mm_or_si64(own, _mm_slli_pi32(own, 16));
        const __m64 following =
            _mm_or_si64(_mm_srli_si64(own, 32), _mm_slli_si64(_mm_and_si64(next, k.lowWords), 32));
        const __m64 sums = _mm_add_pi16(duplicated, _mm_slli_pi32(following, 16));
        return _mm_add_pi16(_mm_slli_pi16(sums, 6), k.chromaBias);
    }
    static __m64 ChromaU(__m64 chroma, __m64 next, const Coefficients& k) {
        return Interpolate(_mm_and_si64(chroma, k.lowWords), next, k);
    }
    static __m64 ChromaV(__m64 chroma, __m64 next, const Coefficients& k) {
        return Interpolate(_mm_srli_pi32(chroma, 16), _mm_srli_pi32(next, 16), k);
    }

    static __m64 BlueTerm(__m64 u, const Coefficients& k) { return _mm_mulhi_pi16(u, k.bFromU); }
    static __m64 GreenTerm(__m64 u, __m64 v, const Coefficients& k) {
        return _mm_adds_pi16(_mm_mulhi_pi16(u, k.gFromU), _mm_mulhi_pi16(v, k.gFromV));
    }
    static __m64 RedTerm(__m64 v, const Coefficients& k) { return _mm_mulhi_pi16(v, k.rFromV); }
    static __m64 ChromaMask(const Coefficients& k) { return k.chromaMask; }

    static void Prefetch(const BYTE*) {}
    static void Store(BYTE* out, __m64 value) { std::memcpy(out, &value, sizeof value); }
    static void Finish() { _mm_empty(); }
};

}  // namespace

void DecodeRgb24Field_MMX(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    DecodeField64<MmxVariant>(destination, source, width, rows, destinationStride, sourceStride);
}
