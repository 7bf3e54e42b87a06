// AVX2 kernels: one 16-pixel block per 256-bit register, a byte shuffle within each 128-bit
// lane and, for the block layouts, a 32-bit permutation across the lanes. Unaligned loads, the
// next source row fetched while one is converted (repack_row_walk.h), non-temporal stores where
// the destination rows allow them (avx2_stores.h), then a store fence and EMMS. Compiled with
// AVX2.
#include <immintrin.h>

#include "convert/avx2_stores.h"
#include "convert/repack_kernels.h"
#include "convert/repack_row_walk.h"

namespace {

using avx2::Load256;

// The byte order of every 4-byte group of the lane, repeated over both lanes.
__m256i EveryFourBytes(char b0, char b1, char b2, char b3) {
    return _mm256_setr_epi8(b0, b1, b2, b3, b0 + 4, b1 + 4, b2 + 4, b3 + 4, b0 + 8, b1 + 8, b2 + 8,
                            b3 + 8, b0 + 12, b1 + 12, b2 + 12, b3 + 12, b0, b1, b2, b3, b0 + 4,
                            b1 + 4, b2 + 4, b3 + 4, b0 + 8, b1 + 8, b2 + 8, b3 + 8, b0 + 12,
                            b1 + 12, b2 + 12, b3 + 12);
}

__m256i SwapBytePairs(const BYTE* in) {
    return _mm256_shuffle_epi8(Load256(in), EveryFourBytes(1, 0, 3, 2));
}

__m256i RotatePairsUp(const BYTE* in) {
    return _mm256_shuffle_epi8(Load256(in), EveryFourBytes(3, 0, 1, 2));
}

__m256i RotatePairsDown(const BYTE* in) {
    return _mm256_shuffle_epi8(Load256(in), EveryFourBytes(1, 2, 3, 0));
}

// Y0..Y15 in the low lane and U0..U7 V0..V7 in the high one, to eight UYVY pairs: the 32-bit
// groups go to Y0-7 U0-3 V0-3 | Y8-15 U4-7 V4-7, and each lane is then woven.
__m256i InterleaveBlock(__m256i lumaThenChroma) {
    const __m256i halves =
        _mm256_permutevar8x32_epi32(lumaThenChroma, _mm256_setr_epi32(0, 1, 4, 6, 2, 3, 5, 7));
    const __m128i weave = _mm_setr_epi8(8, 0, 12, 1, 9, 2, 13, 3, 10, 4, 14, 5, 11, 6, 15, 7);
    return _mm256_shuffle_epi8(halves, _mm256_broadcastsi128_si256(weave));
}

__m256i PackY16Block(const BYTE* in) {
    return InterleaveBlock(Load256(in));
}

// The alpha bytes between the luma and the chroma are never read.
__m256i PackY16ABlock(const BYTE* in) {
    return InterleaveBlock(avx2::LoadLanes(in, in + 32));
}

// The inverse of InterleaveBlock: each lane to Y U V groups, then the groups back in order.
__m256i UnpackY16Block(const BYTE* in) {
    const __m128i sort = _mm_setr_epi8(1, 3, 5, 7, 9, 11, 13, 15, 0, 4, 8, 12, 2, 6, 10, 14);
    const __m256i halves = _mm256_shuffle_epi8(Load256(in), _mm256_broadcastsi128_si256(sort));
    return _mm256_permutevar8x32_epi32(halves, _mm256_setr_epi32(0, 1, 4, 5, 2, 6, 3, 7));
}

template <class Block>
void ConvertField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                  int sourceStride, int sourceBlockBytes, Block block) {
    avx2::WithStores(destination, destinationStride, [&]<class Store>() {
        repack::WalkRowsFetchingNext(
            destination, source, width, rows, destinationStride, sourceStride, sourceBlockBytes,
            [block](BYTE* out, const BYTE* in) { Store::Put(out, block(in)); }, avx2::FetchLine);
    });
}

}  // namespace

#define QLNU_DEFINE_KERNEL_256(name, sourceBlockBytes, Block)                           \
    void name##_AVX2(BYTE* destination, const BYTE* source, int width, int rows,        \
                     int destinationStride, int sourceStride) {                         \
        ConvertField(destination, source, width, rows, destinationStride, sourceStride, \
                     sourceBlockBytes, [](const BYTE* in) { return Block(in); });       \
    }

QLNU_DEFINE_KERNEL_256(PackYuy2Field, 32, SwapBytePairs)
QLNU_DEFINE_KERNEL_256(PackYvyuField, 32, RotatePairsUp)
QLNU_DEFINE_KERNEL_256(PackY16Field, 32, PackY16Block)
QLNU_DEFINE_KERNEL_256(PackY16AField, 48, PackY16ABlock)
QLNU_DEFINE_KERNEL_256(UnpackYvyuField, 32, RotatePairsDown)
QLNU_DEFINE_KERNEL_256(UnpackY16Field, 32, UnpackY16Block)
