// UYVY field to RGB decoding. Constructing the object fills the process-wide YUV-to-RGB
// coefficient table for the processor (once per process); the object itself holds no data.
#pragma once

#include "common/driver_heap.h"

class YuvToRgbTables final : public HeapObject {
public:
    YuvToRgbTables();

    // A top-down UYVY field to bottom-up 24-bit (B, G, R) rows.
    void DecodeRgb24Field(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride);
};
