// The MMX FastCopy variant. Compiled with MMX only.
#include "codec/fast_copy_blocks.h"
#include "codec/fast_copy_variants.h"

namespace {

struct MmxCopy {
    static void PreRead(const BYTE* block) { PreReadAscending(block, 32); }
    static void Store(BYTE* out, __m64 value) { std::memcpy(out, &value, sizeof value); }
    static void Finish() { _mm_empty(); }
};

}  // namespace

void FastCopy_MMX(void* destination, const void* source, DWORD count) {
    CopyInBlocks<MmxCopy>(destination, source, count);
}

void FastCopyField_MMX(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride) {
    CopyFieldRows<MmxCopy>(destination, source, width, rows, destinationStride, sourceStride);
}
