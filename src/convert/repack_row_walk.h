// The row walk every packer and unpacker shares: width / 16 blocks per row, rows in order,
// nothing touched between the end of one row and the start of the next.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

namespace repack {

constexpr int kDestinationBlockBytes = 32;

// Calls block(out, in) for every 16-pixel block; each block reads `sourceBlockBytes` bytes.
template <typename Block>
inline void WalkRows(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride, int sourceBlockBytes, Block block) {
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(row) * destinationStride;
        for (unsigned b = 0; b < blocks; ++b) {
            block(out, in);
            in += sourceBlockBytes;
            out += kDestinationBlockBytes;
        }
    }
}

}  // namespace repack
