// The process-wide coefficient table of the RGB decoder (a table filled once): eight groups of
// signed 16-bit lanes whose order and values depend on the layout of the class's kernels.
//
//   group  narrow                     extended   16-byte
//   0      -8192 (chroma bias)        255        255        (chroma byte mask)
//   1      4768  (luma gain)          2384       2384       (luma gain, 1.1640625)
//   2      -145  (luma offset)        -145       -4096      (half chroma bias)
//   3      -3203, -1602 alternating   -8192      -145
//   4      -6660, -3330 alternating   -3203      -3203      (G from U, -0.391)
//   5      16531, 8266 alternating    -6660      -6660      (G from V, -0.813)
//   6      13074, 6537 alternating    16531      16531      (B from U, 2.018)
//   7      0                          13074      13074      (R from V, 1.596)
//
// In the narrow layout's alternating groups the even lanes (even pixels) hold the full
// coefficient and the odd lanes its half, rounded away from zero.
#pragma once

#include <cstddef>

#include "convert/coefficient_table.h"
#include "convert/kernel_selection.h"

constexpr int kYuvToRgbGroupCount = 8;

// Bytes per group: 8 (four lanes) in the narrow and extended layouts, 16 in the 16-byte one.
constexpr std::size_t YuvToRgbGroupBytes(TableLayout layout) {
    return layout == TableLayout::Wide16 ? 16 : 8;
}

extern CoefficientTable<kYuvToRgbGroupCount * 16> gYuvToRgbTable;

// Writes every group of `layout` (not None) at `entries`.
void FillYuvToRgbTable(BYTE* entries, TableLayout layout);
