// SSE decoder (class 15): the extended arithmetic on 64-bit registers, prefetching the source
// 64 bytes ahead. Compiled with MMX and SSE.
#include "convert/decode_rgb24_field_extended_mmx.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct SseVariant : ExtendedArithmetic64 {
    static void Prefetch(const BYTE* in) { PrefetchNonTemporal(in + 64); }
};

}  // namespace

void DecodeRgb24Field_SSE(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    DecodeField64<SseVariant>(destination, source, width, rows, destinationStride, sourceStride);
}
