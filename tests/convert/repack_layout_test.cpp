// The bytes the packed-YUV layouts define, on the portable references (every variant writes
// exactly their bytes): where each byte of a block comes from, which also makes each unpacker
// the inverse of its packer.
#include <gtest/gtest.h>

#include <vector>

#include "convert/repack_kernels.h"

namespace {

struct LayoutCase {
    const char* name;
    FieldKernel reference;
    int sourceBlockBytes;
    int (*sourceIndex)(int outputByte);  // which source byte lands in each output byte
};

int SwappedUnit(int i) {
    return i ^ 1;
}
int PackedYvyu(int i) {
    return i / 4 * 4 + (i + 3) % 4;
}
int UnpackedYvyu(int i) {
    return i / 4 * 4 + (i + 1) % 4;
}
// Luma bytes 0-15, then U bytes at `u` and V bytes at `u + 8`, into U Y V Y pairs.
template <int u>
int Interleaved(int i) {
    const int pair = i / 4;
    const int position[] = {u + pair, 2 * pair, u + 8 + pair, 2 * pair + 1};
    return position[i % 4];
}
int Planar(int i) {
    return i < 16 ? 2 * i + 1 : i < 24 ? 4 * (i - 16) : 4 * (i - 24) + 2;
}

const LayoutCase kLayouts[] = {
    {"PackYuy2", PackYuy2Field_C, 32, SwappedUnit},
    {"PackYvyu", PackYvyuField_C, 32, PackedYvyu},
    {"PackY16", PackY16Field_C, 32, Interleaved<16>},
    {"PackY16A", PackY16AField_C, 48, Interleaved<32>},
    {"UnpackYvyu", UnpackYvyuField_C, 32, UnpackedYvyu},
    {"UnpackY16", UnpackY16Field_C, 32, Planar},
};

TEST(RepackLayouts, EveryOutputByteComesFromItsSourceByte) {
    for (const LayoutCase& layout : kLayouts) {
        // Two blocks in each of two rows, every source byte distinct within its row.
        const int sourceStride = 2 * layout.sourceBlockBytes + 8;
        std::vector<BYTE> source(2 * sourceStride);
        for (std::size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<BYTE>(i * 3 + 1);
        }
        std::vector<BYTE> out(2 * 64);
        layout.reference(out.data(), source.data(), 32, 2, 64, sourceStride);
        for (int i = 0; i < 128; ++i) {
            const int row = i / 64, block = i % 64 / 32;
            const int from =
                row * sourceStride + block * layout.sourceBlockBytes + layout.sourceIndex(i % 32);
            ASSERT_EQ(out[i], source[from]) << layout.name << " byte " << i;
        }
    }
}

}  // namespace
