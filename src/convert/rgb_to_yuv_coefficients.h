// The process-wide coefficient table of the RGB encoders (a table filled once): ten 16-bit
// values, each repeated across the lanes of its entry, in the layout of the class's kernels.
#pragma once

#include <cstddef>

#include "convert/coefficient_table.h"
#include "convert/kernel_selection.h"

// Entry order, the same in every layout.
enum RgbToYuvEntry : int {
    kLumaWeightB,     // 0.098 at scale 2^15
    kLumaWeightG,     // 0.504
    kLumaWeightR,     // 0.257
    kLumaOffset,      // 16.5 at luma scale 128; 16.5 + 1/64 at scale 64 (narrow)
    kChromaWeightBR,  // 0.439 at scale 2^15: B in U, R in V
    kChromaWeightG,   // 0.368: G in V
    kBToVFromU,       // turns U's B term into V's (x 10599 / 2^16)
    kGToUFromV,       // turns V's G term into U's (x 25912 / 2^16)
    kRToUFromV,       // turns V's R term into U's (x 22094 / 2^16)
    kChromaOffset,    // 128.5 at scale 64
    kRgbToYuvEntryCount
};

// Bytes per entry: 8 (four lanes) in the narrow and extended layouts, 16 in the 16-byte one.
constexpr std::size_t RgbToYuvEntryBytes(TableLayout layout) {
    return layout == TableLayout::Wide16 ? 16 : 8;
}

extern CoefficientTable<kRgbToYuvEntryCount * 16> gRgbToYuvTable;

// Writes every entry of `layout` (not None) at `entries`.
void FillRgbToYuvTable(BYTE* entries, TableLayout layout);
