// The extended-MMX instructions that the SSE and AMD variants of the RGB conversions use
// (shuffle, unsigned multiply-high, non-temporal prefetch, streaming store, store fence),
// reached through the compiler's builtins rather than <xmmintrin.h>: those builtins exist for
// SSE and for AMD's MMX extensions alike, so the AMD files can be compiled without SSE, which
// keeps the compiler from moving MMX values through SSE registers that those processors lack.
#pragma once

#include <mmintrin.h>

#include "platform/win_api.h"

namespace {

inline __m64 MulHighUnsigned(__m64 a, __m64 b) {
    return reinterpret_cast<__m64>(
        __builtin_ia32_pmulhuw(reinterpret_cast<__v4hi>(a), reinterpret_cast<__v4hi>(b)));
}

// The shuffle order that takes result words 0 to 3 from words w0 to w3 of the source.
constexpr int WordOrder(int w0, int w1, int w2, int w3) {
    return w0 | w1 << 2 | w2 << 4 | w3 << 6;
}

// clang types these two builtins' operands as MMX values and the shuffle order as a char
// (the fuzzing build uses clang); GCC takes plain integers.
#if defined(__clang__)
template <int kOrder>
inline __m64 ShuffleWords(__m64 a) {
    return reinterpret_cast<__m64>(
        __builtin_ia32_pshufw(reinterpret_cast<__v4hi>(a), static_cast<char>(kOrder)));
}

inline void StreamStore(BYTE* out, __m64 value) {
    __builtin_ia32_movntq(reinterpret_cast<__m64*>(out), value);
}
#else
template <int kOrder>
inline __m64 ShuffleWords(__m64 a) {
    return reinterpret_cast<__m64>(__builtin_ia32_pshufw(reinterpret_cast<__v4hi>(a), kOrder));
}

inline void StreamStore(BYTE* out, __m64 value) {
    __builtin_ia32_movntq(reinterpret_cast<unsigned long long*>(out),
                          reinterpret_cast<unsigned long long>(value));
}
#endif

inline void StoreFence() {
    __builtin_ia32_sfence();
}

// Read, no temporal locality: the non-temporal prefetch.
inline void PrefetchNonTemporal(const BYTE* at) {
    __builtin_prefetch(at, 0, 0);
}

}  // namespace
