// The portable reference of every packer and unpacker, byte by byte as the layouts define
// them. The processor-specific kernels must write exactly these bytes.
#include "convert/repack_kernels.h"
#include "convert/repack_row_walk.h"

using repack::WalkRows;

namespace {

constexpr int kPackedBlockBytes = 32;
constexpr int kY16ABlockBytes = 48;

// Y16 and Y16A differ only in where their chroma starts.
void InterleaveBlock(BYTE* out, const BYTE* in, int uOffset, int vOffset) {
    for (int j = 0; j < 8; ++j) {
        out[4 * j] = in[uOffset + j];
        out[4 * j + 1] = in[2 * j];
        out[4 * j + 2] = in[vOffset + j];
        out[4 * j + 3] = in[2 * j + 1];
    }
}

}  // namespace

void PackYuy2Field_C(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kPackedBlockBytes,
             [](BYTE* out, const BYTE* in) {
                 for (int m = 0; m < 16; ++m) {
                     out[2 * m] = in[2 * m + 1];
                     out[2 * m + 1] = in[2 * m];
                 }
             });
}

void PackYvyuField_C(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kPackedBlockBytes,
             [](BYTE* out, const BYTE* in) {
                 for (int j = 0; j < 8; ++j) {
                     out[4 * j] = in[4 * j + 3];
                     out[4 * j + 1] = in[4 * j];
                     out[4 * j + 2] = in[4 * j + 1];
                     out[4 * j + 3] = in[4 * j + 2];
                 }
             });
}

void PackY16Field_C(BYTE* destination, const BYTE* source, int width, int rows,
                    int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kPackedBlockBytes,
             [](BYTE* out, const BYTE* in) { InterleaveBlock(out, in, 16, 24); });
}

void PackY16AField_C(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kY16ABlockBytes,
             [](BYTE* out, const BYTE* in) { InterleaveBlock(out, in, 32, 40); });
}

void UnpackYvyuField_C(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kPackedBlockBytes,
             [](BYTE* out, const BYTE* in) {
                 for (int j = 0; j < 8; ++j) {
                     out[4 * j] = in[4 * j + 1];
                     out[4 * j + 1] = in[4 * j + 2];
                     out[4 * j + 2] = in[4 * j + 3];
                     out[4 * j + 3] = in[4 * j];
                 }
             });
}

void UnpackY16Field_C(BYTE* destination, const BYTE* source, int width, int rows,
                      int destinationStride, int sourceStride) {
    WalkRows(destination, source, width, rows, destinationStride, sourceStride, kPackedBlockBytes,
             [](BYTE* out, const BYTE* in) {
                 for (int m = 0; m < 16; ++m) {
                     out[m] = in[2 * m + 1];
                 }
                 for (int j = 0; j < 8; ++j) {
                     out[16 + j] = in[4 * j];
                     out[24 + j] = in[4 * j + 2];
                 }
             });
}
