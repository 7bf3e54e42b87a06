// The row walk every packer and unpacker, and the SSE2 RGB encoders, share: width / 16 blocks
// per row, rows in order, nothing touched between the end of one row and the start of the next.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

namespace repack {

constexpr int kDestinationBlockBytes = 32;

// Calls block(out, in) for every 16-pixel block; each block reads `sourceBlockBytes` bytes, at
// most a cache line. While a row is converted, fetch(at) asks for every line of the next source
// row: the line of the row's first byte, then that of each block's last byte. A field's rows
// are every other row of a picture, a gap that the hardware prefetcher does not bridge.
template <typename Block, typename Fetch>
inline void WalkRowsFetchingNext(BYTE* destination, const BYTE* source, int width, int rows,
                                 int destinationStride, int sourceStride, int sourceBlockBytes,
                                 Block block, Fetch fetch) {
    const unsigned blocks = static_cast<unsigned>(width) / 16;
    for (int row = 0; row < rows; ++row) {
        const BYTE* in = source + static_cast<std::ptrdiff_t>(row) * sourceStride;
        BYTE* out = destination + static_cast<std::ptrdiff_t>(row) * destinationStride;
        // The last row fetches itself again, which costs nothing.
        const std::ptrdiff_t toNextRow = row + 1 < rows ? sourceStride : 0;
        fetch(in + toNextRow);
        for (unsigned b = 0; b < blocks; ++b) {
            fetch(in + toNextRow + sourceBlockBytes - 1);
            block(out, in);
            in += sourceBlockBytes;
            out += kDestinationBlockBytes;
        }
    }
}

// The same walk without fetching.
template <typename Block>
inline void WalkRows(BYTE* destination, const BYTE* source, int width, int rows,
                     int destinationStride, int sourceStride, int sourceBlockBytes, Block block) {
    WalkRowsFetchingNext(destination, source, width, rows, destinationStride, sourceStride,
                         sourceBlockBytes, block, [](const BYTE*) {});
}

}  // namespace repack
