// AMD decoder (classes 135 and 143): the extended arithmetic on 64-bit registers with AMD's
// MMX extensions, prefetching the source 96 bytes ahead. Compiled with MMX and the
// extensions' SSE subset only.
#include "convert/decode_rgb24_field_extended_mmx.h"
#include "convert/rgb_field_kernels.h"

namespace {

struct AmdVariant : ExtendedArithmetic64 {
    static void Prefetch(const BYTE* in) { PrefetchNonTemporal(in + 96); }
};

}  // namespace

void DecodeRgb24Field_AMD(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    DecodeField64<AmdVariant>(destination, source, width, rows, destinationStride, sourceStride);
}
