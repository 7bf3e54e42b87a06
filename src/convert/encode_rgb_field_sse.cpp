// SSE encoders (class 15): the extended arithmetic on 64-bit registers, prefetching the
// source 64, 80 and 96 bytes ahead (RGB24) or 64 and 96 bytes ahead (RGB32). Compiled with
// MMX and SSE.
#include "convert/encode_rgb_field_extended_mmx.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct SseVariant : ExtendedArithmetic64 {
    template <int kSourceBlockBytes>
    static void Prefetch(const BYTE* in) {
        PrefetchAhead(in, 64);
        if constexpr (kSourceBlockBytes == 48) {
            PrefetchAhead(in, 80);
        }
        PrefetchAhead(in, 96);
    }
};

}  // namespace

void EncodeRgb24Field_SSE(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<SseVariant, 3>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_SSE(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<SseVariant, 4>(destination, source, width, rows, destinationStride, sourceStride);
}
