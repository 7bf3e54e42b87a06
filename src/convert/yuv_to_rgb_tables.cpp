#include "convert/yuv_to_rgb_tables.h"

#include "convert/cpu_class.h"
#include "convert/dispatch_slots.h"
#include "convert/yuv_to_rgb_coefficients.h"

YuvToRgbTables::YuvToRgbTables() {
    const TableLayout layout = TableLayoutFor(GetCpuClass());
    if (layout != TableLayout::None) {
        gYuvToRgbTable.PublishOnce([layout](BYTE* entries) { FillYuvToRgbTable(entries, layout); });
    }
}

void YuvToRgbTables::DecodeRgb24Field(BYTE* destination, const BYTE* source, int width, int rows,
                                      int destinationStride, int sourceStride) {
    gDecodeRgb24FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}
