// Portable references of the RGB decoder in its two arithmetics. Chroma is interpolated
// inside each block of 16 pixels: an odd pixel takes the mean of its pair and the next one,
// except in the block's last pair, which never looks into the next block.
#include <algorithm>

#include "convert/rgb_field_kernels.h"

namespace {

struct ChromaCoefficients {
    int b, gu, gv, r;
};

// 2.018, -0.391, -0.813 and 1.596 at scale 2^13.
constexpr ChromaCoefficients kFullCoefficients{16531, -3203, -6660, 13074};
// The basic arithmetic's odd pixels add two chroma samples and halve the coefficients,
// rounding their magnitudes up.
constexpr ChromaCoefficients kHalvedCoefficients{8266, -1602, -3330, 6537};

// High half of a signed 16 x 16-bit product, rounded towards minus infinity.
int MulHigh(int a, int b) {
    return (a * b) >> 16;
}

BYTE ClampToByte(int value) {
    return static_cast<BYTE>(std::clamp(value, 0, 255));
}

// Luma, chroma and coefficients of one pixel, in units of 1/8 for the luma.
struct PixelTerms {
    int y, u, v;
    const ChromaCoefficients& c;
};

// B, G, R; the shifts by 3 round towards minus infinity.
void WritePixel(const PixelTerms& t, BYTE* out) {
    out[0] = ClampToByte((t.y + MulHigh(t.u, t.c.b)) >> 3);
    out[1] = ClampToByte((t.y + MulHigh(t.u, t.c.gu) + MulHigh(t.v, t.c.gv)) >> 3);
    out[2] = ClampToByte((t.y + MulHigh(t.v, t.c.r)) >> 3);
}

// Pixel i (0..15) of the block whose UYVY bytes start at `block`.
struct BlockSamples {
    const BYTE* block;
    int Y(int i) const { return block[4 * (i / 2) + 1 + 2 * (i % 2)]; }
    int U(int pair) const { return block[4 * pair]; }
    int V(int pair) const { return block[4 * pair + 2]; }
    // The chroma byte stored just before Y(i): U for an even pixel, V for an odd one.
    int ChromaBefore(int i) const { return block[4 * (i / 2) + 2 * (i % 2)]; }
    static int NextPair(int pair) { return std::min(pair + 1, 7); }
};

PixelTerms BasicTerms(const BlockSamples& s, int i) {
    const int k = i / 2;
    const int y = MulHigh(128 * s.Y(i), 4768) - 145;
    if (i % 2 == 0) {
        return {y, 64 * s.U(k) - 8192, 64 * s.V(k) - 8192, kFullCoefficients};
    }
    const int n = BlockSamples::NextPair(k);
    return {y, 64 * (s.U(k) + s.U(n)) - 16384, 64 * (s.V(k) + s.V(n)) - 16384, kHalvedCoefficients};
}

// The luma multiply takes the whole 16-bit unit, chroma byte included, unsigned.
PixelTerms ExtendedTerms(const BlockSamples& s, int i) {
    const int k = i / 2;
    const int y = (((256 * s.Y(i) + s.ChromaBefore(i)) * 2384) >> 16) - 145;
    if (i % 2 == 0) {
        return {y, 64 * s.U(k) - 8192, 64 * s.V(k) - 8192, kFullCoefficients};
    }
    const int n = BlockSamples::NextPair(k);
    return {y, 32 * (s.U(k) + s.U(n)) - 8192, 32 * (s.V(k) + s.V(n)) - 8192, kFullCoefficients};
}

template <PixelTerms (*kTerms)(const BlockSamples&, int)>
void DecodeField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                 int sourceStride) {
    const int blocks = width / 16;
    for (int r = 0; r < rows; ++r) {
        // The first source row lands in the highest-addressed output row.
        const BYTE* in = source + static_cast<ptrdiff_t>(r) * sourceStride;
        BYTE* out = destination + static_cast<ptrdiff_t>(rows - 1 - r) * destinationStride;
        for (int b = 0; b < blocks; ++b, in += 32, out += 48) {
            const BlockSamples samples{in};
            for (int i = 0; i < 16; ++i) {
                WritePixel(kTerms(samples, i), out + 3 * i);
            }
        }
    }
}

}  // namespace

void DecodeRgb24Field_BasicC(BYTE* destination, const BYTE* source, int width, int rows,
                             int destinationStride, int sourceStride) {
    DecodeField<BasicTerms>(destination, source, width, rows, destinationStride, sourceStride);
}

void DecodeRgb24Field_ExtendedC(BYTE* destination, const BYTE* source, int width, int rows,
                                int destinationStride, int sourceStride) {
    DecodeField<ExtendedTerms>(destination, source, width, rows, destinationStride, sourceStride);
}
