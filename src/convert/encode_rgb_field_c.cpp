// Portable references of the RGB encoders: plain integer code for one pixel pair at a time,
// in the reference arithmetic and in the narrow arithmetic of the MMX variant.
#include <algorithm>

#include "convert/rgb_field_kernels.h"

namespace {

struct Pixel {
    int b, g, r;
};

int ClampToByte(int value) {
    return std::clamp(value, 0, 255);
}

// High half of a 16 x 16-bit product, as the multiply-high instructions give it.
int MulHigh(int a, int b) {
    return (a * b) >> 16;
}

// The channel enters with the byte in the high half of a 16-bit word; the sum never
// saturates for byte inputs, so plain additions stand for the saturating ones.
int ReferenceLuma(const Pixel& p) {
    const int sum =
        MulHigh(p.b * 256, 3211) + MulHigh(p.g * 256, 16515) + 2112 + MulHigh(p.r * 256, 8421);
    return ClampToByte(sum >> 7);
}

// The MMX variant halves each channel word first, so a signed multiply suffices. Its offset is
// one unit above 16.5 so that the coarser products never leave the luma below the reference's.
int NarrowLuma(const Pixel& p) {
    const int sum =
        MulHigh(p.b * 128, 3211) + MulHigh(p.g * 128, 16515) + 1057 + MulHigh(p.r * 128, 8421);
    return ClampToByte(sum >> 6);
}

// U and V of a pixel pair from its channel sums. The narrow arithmetic widens the channels
// to exactly the same words (byte times 64), so both arithmetics share it.
void PairChroma(const Pixel& left, const Pixel& right, BYTE* u, BYTE* v) {
    const int bc = ((left.b + right.b) * 14385) >> 10;
    const int gc = ((left.g + right.g) * 12059) >> 9;
    const int rc = ((left.r + right.r) * 14385) >> 10;
    const int vScaled = rc - (gc >> 1) - MulHigh(bc, 10599) + 8224;
    const int uScaled = bc - MulHigh(gc, 25912) - MulHigh(rc, 22094) + 8224;
    *u = static_cast<BYTE>(ClampToByte(uScaled >> 6));
    *v = static_cast<BYTE>(ClampToByte(vScaled >> 6));
}

template <int kBytesPerPixel, int (*kLuma)(const Pixel&)>
void EncodeField(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
                 int sourceStride) {
    const int pairs = width / 16 * 8;
    for (int k = 0; k < rows; ++k) {
        // Bottom-up source rows become a top-down field.
        const BYTE* in = source + static_cast<ptrdiff_t>(rows - 1 - k) * sourceStride;
        BYTE* out = destination + static_cast<ptrdiff_t>(k) * destinationStride;
        for (int j = 0; j < pairs; ++j, in += 2 * kBytesPerPixel, out += 4) {
            const Pixel left{in[0], in[1], in[2]};
            const Pixel right{in[kBytesPerPixel], in[kBytesPerPixel + 1], in[kBytesPerPixel + 2]};
            PairChroma(left, right, &out[0], &out[2]);
            out[1] = static_cast<BYTE>(kLuma(left));
            out[3] = static_cast<BYTE>(kLuma(right));
        }
    }
}

}  // namespace

void EncodeRgb24Field_C(BYTE* destination, const BYTE* source, int width, int rows,
                        int destinationStride, int sourceStride) {
    EncodeField<3, ReferenceLuma>(destination, source, width, rows, destinationStride,
                                  sourceStride);
}

void EncodeRgb32Field_C(BYTE* destination, const BYTE* source, int width, int rows,
                        int destinationStride, int sourceStride) {
    EncodeField<4, ReferenceLuma>(destination, source, width, rows, destinationStride,
                                  sourceStride);
}

void EncodeRgb24Field_NarrowC(BYTE* destination, const BYTE* source, int width, int rows,
                              int destinationStride, int sourceStride) {
    EncodeField<3, NarrowLuma>(destination, source, width, rows, destinationStride, sourceStride);
}

void EncodeRgb32Field_NarrowC(BYTE* destination, const BYTE* source, int width, int rows,
                              int destinationStride, int sourceStride) {
    EncodeField<4, NarrowLuma>(destination, source, width, rows, destinationStride, sourceStride);
}
