// The streaming FastCopy variants: non-temporal 8-byte stores and a store fence. Compiled
// with MMX and SSE, and using only what the AMD extended-MMX processors also have (streaming
// 64-bit store, store fence), since their classes use the descending variant.
#include <xmmintrin.h>

#include "codec/fast_copy_blocks.h"
#include "codec/fast_copy_variants.h"

namespace {

struct StreamingStores {
    static void Store(BYTE* out, __m64 value) {
        _mm_stream_pi(reinterpret_cast<__m64*>(out), value);
    }
    static void Finish() {
        _mm_sfence();
        _mm_empty();
    }
};

struct DensePreRead : StreamingStores {
    static void PreRead(const BYTE* block) { PreReadAscending(block, 32); }
};

struct SparsePreRead : StreamingStores {
    static void PreRead(const BYTE* block) { PreReadAscending(block, 128); }
};

struct DescendingPreRead : StreamingStores {
    static void PreRead(const BYTE* block) {
        const BYTE* position = block + kCopyBlockBytes;
        for (int step = 0; step < 64; ++step) {
            Touch(position - 64);
            Touch(position - 128);
            position -= 128;
        }
    }
};

}  // namespace

void FastCopy_Streaming(void* destination, const void* source, DWORD count) {
    CopyInBlocks<DensePreRead>(destination, source, count);
}

void FastCopy_StreamingSparse(void* destination, const void* source, DWORD count) {
    CopyInBlocks<SparsePreRead>(destination, source, count);
}

void FastCopy_StreamingDescending(void* destination, const void* source, DWORD count) {
    CopyInBlocks<DescendingPreRead>(destination, source, count);
}

void FastCopyField_Streaming(BYTE* destination, const BYTE* source, int width, int rows,
                             int destinationStride, int sourceStride) {
    CopyFieldRows<DensePreRead>(destination, source, width, rows, destinationStride, sourceStride);
}

void FastCopyField_StreamingSparse(BYTE* destination, const BYTE* source, int width, int rows,
                                   int destinationStride, int sourceStride) {
    CopyFieldRows<SparsePreRead>(destination, source, width, rows, destinationStride, sourceStride);
}

void FastCopyField_StreamingDescending(BYTE* destination, const BYTE* source, int width, int rows,
                                       int destinationStride, int sourceStride) {
    CopyFieldRows<DescendingPreRead>(destination, source, width, rows, destinationStride,
                                     sourceStride);
}
