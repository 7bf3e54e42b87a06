#include "convert/rgb_to_yuv_coefficients.h"

#include <cstring>

constinit CoefficientTable<kRgbToYuvEntryCount * 16> gRgbToYuvTable;

namespace {

// The narrow layout's luma works at scale 64, the others at 128.
constexpr WORD kNarrowLumaOffset = 1056;

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
