// How the AVX2 kernels load and store (included by AVX2 files alone). Stores are
// non-temporal when every destination row is aligned for them, 32-byte ones where possible and
// 16-byte halves where the rows are only 16-byte aligned, ordinary unaligned ones otherwise.
//
// Usage:
//     avx2::WithStores(firstRowWritten, destinationStride, [&]<class Store>() {
//         Store::Put(out, value);  // a __m256i, or a __m128i for a half
//     });
// which runs the body once with the right policy, then fences the stores and empties the MMX
// state, as every kernel does before returning.
#pragma once

#include <immintrin.h>

#include "platform/win_api.h"

namespace avx2 {

struct StreamingStore32 {
    static void Put(BYTE* out, __m256i value) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out), value);
    }
    static void Put(BYTE* out, __m128i value) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

struct StreamingStore16 {
    static void Put(BYTE* out, __m256i value) {
        Put(out, _mm256_castsi256_si128(value));
        Put(out + 16, _mm256_extracti128_si256(value, 1));
    }
    static void Put(BYTE* out, __m128i value) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

struct UnalignedStore {
    static void Put(BYTE* out, __m256i value) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), value);
    }
    static void Put(BYTE* out, __m128i value) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value);
    }
};

// The alignment is tested once, stride included, so that every row keeps the first row's
// alignment (the sessions' strides always do). Every store offset within a row is a multiple
// of 16, and of 32 wherever a 32-byte value is stored.
template <class Body>
void WithStores(const BYTE* firstRowWritten, int destinationStride, Body body) {
    const UINT_PTR alignment =
        reinterpret_cast<UINT_PTR>(firstRowWritten) | static_cast<UINT_PTR>(destinationStride);
    if (alignment % 32 == 0) {
        body.template operator()<StreamingStore32>();
    } else if (alignment % 16 == 0) {
        body.template operator()<StreamingStore16>();
    } else {
        body.template operator()<UnalignedStore>();
    }
    _mm_sfence();
    _mm_empty();
}

inline __m256i Load256(const BYTE* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// 16 bytes from `low` in the low lane and 16 from `high` in the high lane.
inline __m256i LoadLanes(const BYTE* low, const BYTE* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

// The same 16 bytes in both lanes.
inline __m256i LoadBothLanes(const BYTE* at) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
}

inline void Prefetch(const BYTE* at) {
    _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_NTA);
}

// Into every cache level: for the next row, which is read a row's time later.
inline void FetchLine(const BYTE* at) {
    _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
}

}  // namespace avx2
