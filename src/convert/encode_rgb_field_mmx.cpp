// MMX encoders (classes 1 and 3): the narrow arithmetic with MMX instructions only, ordinary
// 64-bit stores and no prefetch. Compiled with MMX.
//
// Luma: each channel word is halved so that the signed multiply-high serves, at scale 64; it
// follows the narrow formula exactly, whose raised offset gives the reference value or one more.
// Chroma: the pair sums are exact (byte times 64) and green's weight is doubled once per
// call, which gives the reference's chroma to the bit; only the luma is narrower.
#include "convert/encode_rgb_field_64.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct MmxVariant {
    static __m64 LumaTerm(__m64 channel, __m64 weight) {
        return _mm_mulhi_pi16(_mm_srli_pi16(channel, 1), weight);
    }
    static constexpr int kLumaShift = 6;
    // Green's pair sum times 128 would not fit a signed word; times 64 with the weight
    // doubled gives the same product.
    static constexpr int kGreenSumShift = 6;
    static __m64 GreenWeight(__m64 tableWeight) { return _mm_add_pi16(tableWeight, tableWeight); }
    static __m64 GreenChroma(__m64 sum, __m64 weight) { return _mm_mulhi_pi16(sum, weight); }
    template <int kSourceBlockBytes>
    static void Prefetch(const BYTE*) {}
    static void Store(BYTE* out, __m64 value) { std::memcpy(out, &value, sizeof value); }
    static void Finish() { _mm_empty(); }
};

}  // namespace

void EncodeRgb24Field_MMX(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<MmxVariant, 3>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_MMX(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<MmxVariant, 4>(destination, source, width, rows, destinationStride, sourceStride);
}
