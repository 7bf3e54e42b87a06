// RGB to UYVY field encoding. Constructing the object fills the process-wide RGB-to-YUV
// coefficient table for the processor (once per process); the object itself holds no data.
#pragma once

#include "common/driver_heap.h"

class RgbToYuvTables final : public HeapObject {
public:
    RgbToYuvTables();

    // Bottom-up 24-bit (B, G, R) rows to a top-down UYVY field.
    void EncodeRgb24Field(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride);
    // Bottom-up 32-bit (B, G, R, x) rows to a top-down UYVY field.
    void EncodeRgb32Field(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride);
};
