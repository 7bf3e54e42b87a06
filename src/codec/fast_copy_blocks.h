// The block walk of the 8-byte FastCopy and FastCopyField variants, shared by the MMX and
// streaming files. Each
// file supplies a policy:
//     static void PreRead(const BYTE* block);          // bring an 8192-byte block into cache
//     static void Store(BYTE* out, __m64 value);
//     static void Finish();                            // fence if streaming, then EMMS
// Unnamed namespace on purpose: each variant file compiles its own copy with its own flags.
#pragma once

#include <mmintrin.h>

#include <algorithm>
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

// Copies `count` bytes as the variant copies them, without its Finish. The first bytes go
// one by one up to an 8-byte boundary of the destination: an 8-byte store that straddles one
// is split in two, and a split streaming store costs many times an aligned one.
template <class Policy>
void CopyBlocks(BYTE* out, const BYTE* in, DWORD count) {
    for (DWORD head = std::min<DWORD>(count, -reinterpret_cast<UINT_PTR>(out) % 8); head > 0;
         --head, --count) {
        *out++ = *in++;
    }
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
}

template <class Policy>
void CopyInBlocks(void* destination, const void* source, DWORD count) {
    CopyBlocks<Policy>(static_cast<BYTE*>(destination), static_cast<const BYTE*>(source), count);
    Policy::Finish();
}

// The policy with ordinary 8-byte stores in place of its own. The store is spelled out as the
// MMX instruction: where SSE is enabled the compiler would otherwise store through an SSE
// register, which the extended-MMX processors that use the streaming variants lack.
template <class Policy>
struct CachedStores : Policy {
    static void Store(BYTE* out, __m64 value) {
        asm("movq %1, %0" : "=m"(*reinterpret_cast<__m64*>(out)) : "y"(value));
    }
};

template <class Policy>
void CopyRowsWith(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                  int sourceStride) {
    for (int row = 0; row < rows; ++row) {
        CopyBlocks<Policy>(destination, source, static_cast<DWORD>(2 * width));
        destination += destinationStride;
        source += sourceStride;
    }
    Policy::Finish();
}

// The rows of a UYVY field (2 bytes a pixel), each copied as one block copy, and the variant's
// Finish once for the field. A session's rows are multiples of 32 bytes apart, so every row starts
// on an 8-byte boundary or none does; in the second case (a frame's field, 12 bytes in) the
// first and last bytes of each row would mix ordinary stores into lines that streaming stores
// fill, which costs several times the copy, so the whole field takes ordinary stores.
template <class Policy>
void CopyFieldRows(BYTE* destination, const BYTE* source, int width, int rows,
                   int destinationStride, int sourceStride) {
    if (reinterpret_cast<UINT_PTR>(destination) % 8 != 0) {
        CopyRowsWith<CachedStores<Policy>>(destination, source, width, rows, destinationStride,
                                           sourceStride);
    } else {
        CopyRowsWith<Policy>(destination, source, width, rows, destinationStride, sourceStride);
    }
}

inline void PreReadAscending(const BYTE* block, DWORD spacing) {
    for (DWORD offset = 0; offset < kCopyBlockBytes; offset += spacing) {
        Touch(block + offset);
    }
}

}  // namespace
