#include "convert/rgb_to_yuv_tables.h"

#include "convert/cpu_class.h"
#include "convert/dispatch_slots.h"
#include "convert/rgb_to_yuv_coefficients.h"

RgbToYuvTables::RgbToYuvTables() {
    const TableLayout layout = TableLayoutFor(GetCpuClass());
    if (layout != TableLayout::None) {
        gRgbToYuvTable.PublishOnce([layout](BYTE* entries) { FillRgbToYuvTable(entries, layout); });
    }
}

void RgbToYuvTables::EncodeRgb24Field(BYTE* destination, const BYTE* source, int width, int rows,
                                      int destinationStride, int sourceStride) {
    gEncodeRgb24FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void RgbToYuvTables::EncodeRgb32Field(BYTE* destination, const BYTE* source, int width, int rows,
                                      int destinationStride, int sourceStride) {
    gEncodeRgb32FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}
