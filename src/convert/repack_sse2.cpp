// SSE2 kernels: unaligned 128-bit loads, the next source row fetched while one is converted
// (repack_row_walk.h), and non-temporal aligned 128-bit stores when the destination rows are
// 16-byte aligned (ordinary unaligned stores otherwise), then a store fence and EMMS. Compiled with
// MMX, SSE and SSE2.
#include <emmintrin.h>

#include "convert/repack_kernels.h"
#include "convert/repack_row_walk.h"

namespace {

struct StreamingStore {
    static void Put(BYTE* out, __m128i value) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

struct UnalignedStore {
    static void Put(BYTE* out, __m128i value) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

__m128i Load128(const BYTE* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__m128i LowByteMask128(__m128i any) {
    return _mm_srli_epi16(_mm_cmpeq_epi16(any, any), 8);
}

void FetchLine(const BYTE* at) {
    _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
}

template <class Store>
void SwapBytePairs128(BYTE* out, const BYTE* in) {
    for (int half = 0; half < 32; half += 16) {
        const __m128i units = Load128(in + half);
        Store::Put(out + half, _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8)));
    }
}

template <class Store>
void RotatePairsUp128(BYTE* out, const BYTE* in) {
    for (int half = 0; half < 32; half += 16) {
        const __m128i pairs = Load128(in + half);
        Store::Put(out + half, _mm_or_si128(_mm_slli_epi32(pairs, 8), _mm_srli_epi32(pairs, 24)));
    }
}

template <class Store>
void RotatePairsDown128(BYTE* out, const BYTE* in) {
    for (int half = 0; half < 32; half += 16) {
        const __m128i pairs = Load128(in + half);
        Store::Put(out + half, _mm_or_si128(_mm_srli_epi32(pairs, 8), _mm_slli_epi32(pairs, 24)));
    }
}

// Sixteen luma bytes and eight U bytes followed by eight V bytes to eight UYVY pairs.
template <class Store>
void InterleaveBlock128(BYTE* out, const BYTE* luma, const BYTE* uThenV) {
    const __m128i lumaBytes = Load128(luma);
    const __m128i chroma = Load128(uThenV);
    const __m128i uv = _mm_unpacklo_epi8(chroma, _mm_srli_si128(chroma, 8));
    Store::Put(out, _mm_unpacklo_epi8(uv, lumaBytes));
    Store::Put(out + 16, _mm_unpackhi_epi8(uv, lumaBytes));
}

template <class Store>
void PackY16Block128(BYTE* out, const BYTE* in) {
    InterleaveBlock128<Store>(out, in, in + 16);
}

template <class Store>
void PackY16ABlock128(BYTE* out, const BYTE* in) {
    InterleaveBlock128<Store>(out, in, in + 32);
}

template <class Store>
void UnpackY16Block128(BYTE* out, const BYTE* in) {
    const __m128i low = Load128(in);
    const __m128i high = Load128(in + 16);
    const __m128i mask = LowByteMask128(low);
    Store::Put(out, _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8)));
    // U0 V0 U1 V1 ... U7 V7, then U0..U7 followed by V0..V7.
    const __m128i chroma = _mm_packus_epi16(_mm_and_si128(low, mask), _mm_and_si128(high, mask));
    Store::Put(out + 16, _mm_packus_epi16(_mm_and_si128(chroma, mask), _mm_srli_epi16(chroma, 8)));
}

template <class Store, class Block>
void ConvertRows128(BYTE* destination, const BYTE* source, int width, int rows,
                    int destinationStride, int sourceStride, int sourceBlockBytes, Block block) {
    repack::WalkRowsFetchingNext(
        destination, source, width, rows, destinationStride, sourceStride, sourceBlockBytes,
        [block](BYTE* out, const BYTE* in) { block.template operator()<Store>(out, in); },
        FetchLine);
}

// The alignment is tested once: the stride is included so that every row keeps the first
// row's alignment, as it does for the sessions' strides.
bool RowsAreAligned(const BYTE* destination, int destinationStride) {
    return (reinterpret_cast<UINT_PTR>(destination) % 16 == 0) && (destinationStride % 16 == 0);
}

template <class Block>
void ConvertField128(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride, int sourceBlockBytes, Block block) {
    if (RowsAreAligned(destination, destinationStride)) {
        ConvertRows128<StreamingStore>(destination, source, width, rows, destinationStride,
                                       sourceStride, sourceBlockBytes, block);
    } else {
        ConvertRows128<UnalignedStore>(destination, source, width, rows, destinationStride,
                                       sourceStride, sourceBlockBytes, block);
    }
    _mm_sfence();
    _mm_empty();
}

}  // namespace

#define QLNU_DEFINE_KERNEL_128(name, sourceBlockBytes, Block)                                   \
    void name##_SSE2(BYTE* destination, const BYTE* source, int width, int rows,                \
                     int destinationStride, int sourceStride) {                                 \
        ConvertField128(destination, source, width, rows, destinationStride, sourceStride,      \
                        sourceBlockBytes,                                                       \
                        []<class Store>(BYTE* out, const BYTE* in) { Block<Store>(out, in); }); \
    }

QLNU_DEFINE_KERNEL_128(PackYuy2Field, 32, SwapBytePairs128)
QLNU_DEFINE_KERNEL_128(PackYvyuField, 32, RotatePairsUp128)
QLNU_DEFINE_KERNEL_128(PackY16Field, 32, PackY16Block128)
QLNU_DEFINE_KERNEL_128(PackY16AField, 48, PackY16ABlock128)
QLNU_DEFINE_KERNEL_128(UnpackYvyuField, 32, RotatePairsDown128)
QLNU_DEFINE_KERNEL_128(UnpackY16Field, 32, UnpackY16Block128)
