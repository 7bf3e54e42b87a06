// The block walk of the 8-byte FastCopy variants, shared by the MMX and streaming files. Each
// file supplies a policy:
//     static void PreRead(const BYTE* block);          // bring an 8192-byte block into cache
//     static void Store(BYTE* out, __m64 value);
//     static void Finish();                            // fence if streaming, then EMMS
// Unnamed namespace on purpose: each variant file compiles its own copy with its own flags.
#pragma once

#include <mmintrin.h>

#include <cstdint>
#include <cstring>

#include "platform/win_api.h"

namespace {

constexpr DWORD kCopyBlockBytes = 8192;

inline __m64 LoadCopyWord(const BYTE* at) {
    __m64 word;
    std::memcpy(&word, at, sizeof word);  // one unaligned 8-byte load
    return word;
}

// Reads the 32-bit word at `at` so that its cache line is fetched; the value is unused.
inline void Touch(const BYTE* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    asm volatile("" : : "r"(word));
}

// `words` loads of 8 bytes, then as many stores.
template <class Policy, int words>
inline void CopyStep(BYTE* out, const BYTE* in) {
    __m64 values[words];
#pragma GCC unroll 8
    for (int i = 0; i < words; ++i) {
        values[i] = LoadCopyWord(in + 8 * i);
    }
#pragma GCC unroll 8
    for (int i = 0; i < words; ++i) {
        Policy::Store(out + 8 * i, values[i]);
    }
}

template <class Policy>
void CopyInBlocks(void* destination, const void* source, DWORD count) {
    BYTE* out = static_cast<BYTE*>(destination);
    const BYTE* in = static_cast<const BYTE*>(source);
    for (DWORD block = count / kCopyBlockBytes; block > 0; --block) {
        Policy::PreRead(in);
        for (DWORD step = 0; step < kCopyBlockBytes / 64; ++step) {
            CopyStep<Policy, 8>(out, in);
            in += 64;
            out += 64;
        }
    }
    const DWORD remainder = count % kCopyBlockBytes;
    for (DWORD step = remainder / 32; step > 0; --step) {
        CopyStep<Policy, 4>(out, in);
        in += 32;
        out += 32;
    }
    for (DWORD byte = remainder % 32; byte > 0; --byte) {
        *out++ = *in++;
    }
    Policy::Finish();
}

inline void PreReadAscending(const BYTE* block, DWORD spacing) {
    for (DWORD offset = 0; offset < kCopyBlockBytes; offset += spacing) {
        Touch(block + offset);
    }
}

}  // namespace
