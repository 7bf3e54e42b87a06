// Conversions between the packed-YUV layouts and the UYVY field layout. The object holds no
// data; its operations are the dispatchers of the processor-specific kernels.
#pragma once

#include "common/driver_heap.h"

class YuvRepacker final : public HeapObject {
public:
    // To a UYVY field.
    void PackYuy2Field(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride);
    void PackYvyuField(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride);
    void PackY16Field(BYTE* destination, const BYTE* source, int width, int rows,
                      int destinationStride, int sourceStride);
    void PackY16AField(BYTE* destination, const BYTE* source, int width, int rows,
                       int destinationStride, int sourceStride);

    // From a UYVY field.
    void UnpackYuy2Field(BYTE* destination, const BYTE* source, int width, int rows,
                         int destinationStride, int sourceStride);
    void UnpackYvyuField(BYTE* destination, const BYTE* source, int width, int rows,
                         int destinationStride, int sourceStride);
    void UnpackY16Field(BYTE* destination, const BYTE* source, int width, int rows,
                        int destinationStride, int sourceStride);
};
