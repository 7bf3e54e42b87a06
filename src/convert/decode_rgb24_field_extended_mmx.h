// What the SSE and AMD decoders share: the extended arithmetic on 64-bit registers with the
// shuffle and the unsigned multiply-high, the extended table, and non-temporal 64-bit stores
// followed by a store fence. They differ only in how far ahead they prefetch. Included by
// those two variant files only.
#pragma once

#include "convert/decode_rgb24_field_64.h"
#include "convert/rgb_mmx_extensions.h"

namespace {

struct ExtendedArithmetic64 {
    struct Coefficients {
        __m64 chromaMask, lumaGain, lumaOffset, chromaBias, gFromU, gFromV, bFromU, rFromV;
    };

    static Coefficients LoadCoefficients(const BYTE* table) {
        auto group = [table](int i) { return Load64(table + 8 * i); };
        return {group(0), group(1), group(2), group(3), group(4), group(5), group(6), group(7)};
    }

    // The whole 16-bit unit, chroma byte included, times the gain, unsigned.
    static __m64 Luma(__m64 units, const Coefficients& k) {
        return _mm_adds_pi16(MulHighUnsigned(units, k.lumaGain), k.lumaOffset);
    }

    // duplicated: C_a C_a C_b C_b; following: C_a C_b C_b C_next. Their sum times 32 is
    // 64·C for an even pixel and 32·(C + C') for an odd one.
    static __m64 Interpolate(__m64 duplicated, __m64 nextSample, const Coefficients& k) {
        const __m64 following =
            _mm_or_si64(_mm_srli_si64(duplicated, 16), _mm_slli_si64(nextSample, 48));
        const __m64 sums = _mm_add_pi16(duplicated, following);
        return _mm_add_pi16(_mm_slli_pi16(sums, 5), k.chromaBias);
    }
    static __m64 ChromaU(__m64 chroma, __m64 next, const Coefficients& k) {
        return Interpolate(ShuffleWords<WordOrder(0, 0, 2, 2)>(chroma), next, k);
    }
    static __m64 ChromaV(__m64 chroma, __m64 next, const Coefficients& k) {
        return Interpolate(ShuffleWords<WordOrder(1, 1, 3, 3)>(chroma), _mm_srli_si64(next, 16), k);
    }

    static __m64 BlueTerm(__m64 u, const Coefficients& k) { return _mm_mulhi_pi16(u, k.bFromU); }
    static __m64 GreenTerm(__m64 u, __m64 v, const Coefficients& k) {
        return _mm_adds_pi16(_mm_mulhi_pi16(u, k.gFromU), _mm_mulhi_pi16(v, k.gFromV));
    }
    static __m64 RedTerm(__m64 v, const Coefficients& k) { return _mm_mulhi_pi16(v, k.rFromV); }
    static __m64 ChromaMask(const Coefficients& k) { return k.chromaMask; }

    static void Store(BYTE* out, __m64 value) { StreamStore(out, value); }
    static void Finish() {
        StoreFence();
        _mm_empty();
    }
};

}  // namespace
