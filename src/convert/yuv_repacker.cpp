#include "convert/yuv_repacker.h"

#include "convert/dispatch_slots.h"

void YuvRepacker::PackYuy2Field(BYTE* destination, const BYTE* source, int width, int rows,
                                int destinationStride, int sourceStride) {
    gPackYuy2FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::PackYvyuField(BYTE* destination, const BYTE* source, int width, int rows,
                                int destinationStride, int sourceStride) {
    gPackYvyuFieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::PackY16Field(BYTE* destination, const BYTE* source, int width, int rows,
                               int destinationStride, int sourceStride) {
    gPackY16FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::PackY16AField(BYTE* destination, const BYTE* source, int width, int rows,
                                int destinationStride, int sourceStride) {
    gPackY16AFieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::UnpackYuy2Field(BYTE* destination, const BYTE* source, int width, int rows,
                                  int destinationStride, int sourceStride) {
    gUnpackYuy2FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::UnpackYvyuField(BYTE* destination, const BYTE* source, int width, int rows,
                                  int destinationStride, int sourceStride) {
    gUnpackYvyuFieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}

void YuvRepacker::UnpackY16Field(BYTE* destination, const BYTE* source, int width, int rows,
                                 int destinationStride, int sourceStride) {
    gUnpackY16FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
}
