// The signature every field conversion shares: kernels, their variants and the dispatchers.
#pragma once

#include "platform/win_api.h"

// Converts `rows` rows of `width` pixels (a multiple of 16, handled in blocks of 16 pixels)
// from `source` to `destination`; the strides are the byte distances between rows. Kernels
// are declared with it, one plain declaration each, so that a name search finds them:
//     FieldKernelFunction PackYuy2Field_MMX;
using FieldKernelFunction = void(BYTE* destination, const BYTE* source, int width, int rows,
                                 int destinationStride, int sourceStride);
using FieldKernel = FieldKernelFunction*;
