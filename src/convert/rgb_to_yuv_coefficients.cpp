#include "convert/rgb_to_yuv_coefficients.h"

#include <cstring>

constinit CoefficientTable<kRgbToYuvEntryCount * 16> gRgbToYuvTable;

namespace {

// The narrow layout's luma works at scale 64, the others at 128. Each of its three products
// rounds down at half the precision, so its sum can lie up to three scale-128 units below the
// precise one; 16.5 alone (1056) would then give a luma one level short on about one colour in
// 130. One unit more (16.5 + 1/64) never falls short over all 2^24 colours, and lifts the luma
// by one level on about one colour in 126.
constexpr WORD kNarrowLumaOffset = 1057;

constexpr WORD kValues[kRgbToYuvEntryCount] = {3211,  16515, 8421,  2112,  14385,
                                               12059, 10599, 25912, 22094, 8224};

}  // namespace

void FillRgbToYuvTable(BYTE* entries, TableLayout layout) {
    const std::size_t entryBytes = RgbToYuvEntryBytes(layout);
    for (int entry = 0; entry < kRgbToYuvEntryCount; ++entry) {
        WORD value = kValues[entry];
        if (entry == kLumaOffset && layout == TableLayout::Narrow) {
            value = kNarrowLumaOffset;
        }
        for (std::size_t lane = 0; lane < entryBytes / sizeof(WORD); ++lane) {
            std::memcpy(entries + entry * entryBytes + lane * sizeof(WORD), &value, sizeof(WORD));
        }
    }
}
