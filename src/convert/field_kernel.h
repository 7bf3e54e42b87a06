// The signature every field conversion shares: kernels, their variants and the dispatchers.
#pragma once

#include "platform/win_api.h"

// Converts `rows` rows of `width` pixels (a multiple of 16, handled in blocks of 16 pixels)
// from `source` to `destination`; the strides are the byte distances between rows.
using FieldKernel = void (*)(BYTE* destination, const BYTE* source, int width, int rows,
                             int destinationStride, int sourceStride);

// Declares the portable reference and the four processor-specific kernels of one operation:
// operation_C, operation_MMX, operation_SSE, operation_SSE2 and operation_AMD.
#define QLNU_DECLARE_FIELD_KERNELS(operation)                                         \
    void operation##_C(BYTE* destination, const BYTE* source, int width, int rows,    \
                       int destinationStride, int sourceStride);                      \
    void operation##_MMX(BYTE* destination, const BYTE* source, int width, int rows,  \
                         int destinationStride, int sourceStride);                    \
    void operation##_SSE(BYTE* destination, const BYTE* source, int width, int rows,  \
                         int destinationStride, int sourceStride);                    \
    void operation##_SSE2(BYTE* destination, const BYTE* source, int width, int rows, \
                          int destinationStride, int sourceStride);                   \
    void operation##_AMD(BYTE* destination, const BYTE* source, int width, int rows,  \
                         int destinationStride, int sourceStride)
