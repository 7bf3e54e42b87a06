// AVX2 decoder, in the extended arithmetic. A block of 16 pixels fills one 256-bit
// register in its own order, one 16-bit unit per pixel, so no sorting is needed: each pixel
// pair's chroma is one 32-bit lane, its successor a lane permutation away. Two blocks are
// woven into 96 output bytes at a time; a last lone block is woven with itself and stores 48.
// Unaligned loads, prefetch 256 bytes ahead, non-temporal stores where the output rows allow
// them (avx2_stores.h), then a store fence and EMMS. Compiled with AVX2.
#include <immintrin.h>

#include <array>
#include <cstddef>

#include "convert/avx2_stores.h"
#include "convert/rgb_field_kernels.h"
#include "convert/yuv_to_rgb_coefficients.h"

namespace {

constexpr int kPrefetchDistance = 256;

// Byte shuffle masks that weave one 16-byte output chunk of B G R triplets: output bytes
// 16c to 16c + 15 of a block, from a lane holding the B and the G bytes of the eight pixels
// from `first` on (8 + 8 bytes), and a lane holding their R bytes. Unused bytes are zero.
struct ChunkMasks {
    std::array<char, 16> fromBlueGreen, fromRed;
};

constexpr ChunkMasks MasksOfChunk(int c) {
    const int first = 4 * c;  // the chunk's pixels lie within pixels 4c to 4c + 7
    ChunkMasks masks{};
    for (int k = 0; k < 16; ++k) {
        const int pixel = (16 * c + k) / 3 - first;
        const int channel = (16 * c + k) % 3;
        masks.fromBlueGreen[k] = static_cast<char>(channel == 2 ? 0x80 : pixel + 8 * channel);
        masks.fromRed[k] = static_cast<char>(channel == 2 ? pixel : 0x80);
    }
    return masks;
}

__m256i LanesOf(const std::array<char, 16>& low, const std::array<char, 16>& high) {
    return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(high.data()),
                               reinterpret_cast<const __m128i*>(low.data()));
}

struct WeaveMasks {
    __m256i blueGreen, red;
};

WeaveMasks MasksOfChunks(int low, int high) {
    const ChunkMasks a = MasksOfChunk(low), b = MasksOfChunk(high);
    return {LanesOf(a.fromBlueGreen, b.fromBlueGreen), LanesOf(a.fromRed, b.fromRed)};
}

struct Coefficients {
    __m256i chromaMask, lumaGain, halfChromaBias, lumaOffset, gFromU, gFromV, bFromU, rFromV;
    __m256i lowWords, nextPair;
    WeaveMasks chunks01, chunks20, chunks12;
};

Coefficients LoadCoefficients() {
    const BYTE* table = gYuvToRgbTable.Data();
    auto group = [table](int i) {
        return _mm256_broadcastsi128_si256(
            _mm_load_si128(reinterpret_cast<const __m128i*>(table + 16 * i)));
    };
    return {group(0),
            group(1),
            group(2),
            group(3),
            group(4),
            group(5),
            group(6),
            group(7),
            _mm256_set1_epi32(0xFFFF),
            _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 7),
            MasksOfChunks(0, 1),
            MasksOfChunks(2, 0),
            MasksOfChunks(1, 2)};
}

// The B, G and R words of a block's 16 pixels, in pixel order, before clamping.
struct BlockColours {
    __m256i blue, green, red;
};

__m256i Channel(__m256i luma, __m256i chromaTerm) {
    return _mm256_srai_epi16(_mm256_adds_epi16(luma, chromaTerm), 3);
}

[[gnu::always_inline]] inline BlockColours DecodeBlock(const BYTE* in, const Coefficients& k) {
    const __m256i units = avx2::Load256(in);
    // The whole unit is multiplied, chroma byte included.
    const __m256i luma = _mm256_adds_epi16(_mm256_mulhi_epu16(units, k.lumaGain), k.lumaOffset);
    // Per pair j: 32 U_j - 4096 and 32 V_j - 4096. An even pixel takes twice its pair's; an odd
    // pixel adds those of the next pair, the last pair its own again.
    const __m256i half = _mm256_add_epi16(
        _mm256_slli_epi16(_mm256_and_si256(units, k.chromaMask), 5), k.halfChromaBias);
    const __m256i even = _mm256_add_epi16(half, half);
    const __m256i odd = _mm256_add_epi16(half, _mm256_permutevar8x32_epi32(half, k.nextPair));
    const __m256i u =
        _mm256_or_si256(_mm256_and_si256(even, k.lowWords), _mm256_slli_epi32(odd, 16));
    const __m256i v =
        _mm256_or_si256(_mm256_srli_epi32(even, 16), _mm256_andnot_si256(k.lowWords, odd));
    return {Channel(luma, _mm256_mulhi_epi16(u, k.bFromU)),
            Channel(luma, _mm256_adds_epi16(_mm256_mulhi_epi16(u, k.gFromU),
                                            _mm256_mulhi_epi16(v, k.gFromV))),
            Channel(luma, _mm256_mulhi_epi16(v, k.rFromV))};
}

__m256i Weave(__m256i blueGreen, __m256i red, const WeaveMasks& masks) {
    return _mm256_or_si256(_mm256_shuffle_epi8(blueGreen, masks.blueGreen),
                           _mm256_shuffle_epi8(red, masks.red));
}

// The 96 output bytes of two blocks (the same block twice gives its 48 bytes twice), in three
// registers of two 16-byte chunks each. Clamped to bytes, the blocks' 32-bit groups are B0-3
// B4-7 G0-3 G4-7 | B8-11 B12-15 G8-11 G12-15 and, for red, first0-7 second0-7 |
// first8-15 second8-15; each chunk's lane gathers the eight pixels its bytes come from.
struct WovenBlocks {
    __m256i front, middle, back;
};

[[gnu::always_inline]] inline WovenBlocks WeaveBlocks(const BlockColours& first,
                                                      const BlockColours& second,
                                                      const Coefficients& k) {
    const __m256i blueGreen0 = _mm256_packus_epi16(first.blue, first.green);
    const __m256i blueGreen1 = _mm256_packus_epi16(second.blue, second.green);
    const __m256i red = _mm256_packus_epi16(first.red, second.red);
    auto groups = [](__m256i x, int a, int b, int c, int d, int e, int f, int g, int h) {
        return _mm256_permutevar8x32_epi32(x, _mm256_setr_epi32(a, b, c, d, e, f, g, h));
    };
    return {Weave(groups(blueGreen0, 0, 1, 2, 3, 1, 4, 3, 6), groups(red, 0, 1, 0, 0, 1, 4, 0, 0),
                  k.chunks01),
            Weave(_mm256_permute2x128_si256(blueGreen0, blueGreen1, 0x21),
                  groups(red, 4, 5, 0, 0, 2, 3, 0, 0), k.chunks20),
            Weave(groups(blueGreen1, 1, 4, 3, 6, 4, 5, 6, 7), groups(red, 3, 6, 0, 0, 6, 7, 0, 0),
                  k.chunks12)};
}

// Source row r goes to output row rows - 1 - r: the top-down field becomes bottom-up rows.
template <class Store>
void DecodeRows(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                int sourceStride) {
    const Coefficients k = LoadCoefficients();
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(rows - 1 - row) * destinationStride;
        unsigned left = blocks;
        for (; left >= 2; left -= 2, in += 64, out += 96) {
            avx2::Prefetch(in + kPrefetchDistance);
            const auto woven = WeaveBlocks(DecodeBlock(in, k), DecodeBlock(in + 32, k), k);
            Store::Put(out, woven.front);
            Store::Put(out + 32, woven.middle);
            Store::Put(out + 64, woven.back);
        }
        if (left == 1) {
            const BlockColours only = DecodeBlock(in, k);
            const auto woven = WeaveBlocks(only, only, k);
            Store::Put(out, woven.front);
            Store::Put(out + 32, _mm256_castsi256_si128(woven.middle));
        }
    }
}

}  // namespace

// The rows are written bottom-up, but with the stride in the test each one is aligned as the
// destination is.
void DecodeRgb24Field_AVX2(BYTE* destination, const BYTE* source, int width, int rows,
                           int destinationStride, int sourceStride) {
    avx2::WithStores(destination, destinationStride, [&]<class Store>() {
        DecodeRows<Store>(destination, source, width, rows, destinationStride, sourceStride);
    });
}
