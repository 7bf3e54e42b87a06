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

// The AVX2 kernels exist in x86-64 builds only; elsewhere their names are null kernels, so
// that the binding rows can name them in every build:
//     QLNU_AVX2_KERNEL(PackYuy2Field_AVX2);
#if defined(__x86_64__)
#define QLNU_AVX2_KERNEL(name) FieldKernelFunction name
#else
#define QLNU_AVX2_KERNEL(name) inline constexpr FieldKernel name = nullptr
#endif
