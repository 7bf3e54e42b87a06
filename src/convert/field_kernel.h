// The signature every field conversion shares: kernels, their variants and the dispatchers.
#pragma once

#include "platform/win_api.h"

// Converts `rows` rows of `width` pixels (a multiple of 16, handled in blocks of 16 pixels)
// from `source` to `destination`; the strides are the byte distances between rows.
using FieldKernel = void (*)(BYTE* destination, const BYTE* source, int width, int rows,
                             int destinationStride, int sourceStride);
