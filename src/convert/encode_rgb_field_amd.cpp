// AMD encoders (classes 135 and 143): the extended arithmetic on 64-bit registers with AMD's
// MMX extensions, prefetching the source 160 bytes ahead (RGB24) or 192 bytes (RGB32).
// Compiled with MMX and the extensions' SSE subset only.
#include "convert/encode_rgb_field_extended_mmx.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct AmdVariant : ExtendedArithmetic64 {
    template <int kSourceBlockBytes>
    static void Prefetch(const BYTE* in) {
        PrefetchAhead(in, kSourceBlockBytes == 48 ? 160 : 192);
    }
};

}  // namespace

void EncodeRgb24Field_AMD(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<AmdVariant, 3>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_AMD(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    EncodeField64<AmdVariant, 4>(destination, source, width, rows, destinationStride, sourceStride);
}
