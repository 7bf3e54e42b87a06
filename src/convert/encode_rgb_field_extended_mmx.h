// What the SSE and AMD encoders share: the extended arithmetic on 64-bit registers with the
// unsigned multiply-high, and non-temporal 64-bit stores followed by a store fence. They
// differ only in how far ahead they prefetch. Included by those two variant files only.
#pragma once

#include "convert/encode_rgb_field_64.h"
#include "convert/rgb_mmx_extensions.h"

namespace {

struct ExtendedArithmetic64 {
    static __m64 LumaTerm(__m64 channel, __m64 weight) { return MulHighUnsigned(channel, weight); }
    static constexpr int kLumaShift = 7;
    static constexpr int kGreenSumShift = 7;
    static __m64 GreenWeight(__m64 tableWeight) { return tableWeight; }
    static __m64 GreenChroma(__m64 sum, __m64 weight) { return MulHighUnsigned(sum, weight); }
    static void Store(BYTE* out, __m64 value) { StreamStore(out, value); }
    static void Finish() {
        StoreFence();
        _mm_empty();
    }
};

inline void PrefetchAhead(const BYTE* in, int distance) {
    PrefetchNonTemporal(in + distance);
}

}  // namespace
