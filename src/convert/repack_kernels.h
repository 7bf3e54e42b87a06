// The kernels of the packed-YUV packers and unpackers: the portable reference (_C) and one
// kernel per instruction-set family, each family compiled in its own file with only the
// instructions its processors have. All kernels of one operation write identical bytes.
#pragma once

#include "convert/field_kernel.h"

// YUY2 to UYVY; the exchange of the two bytes of each 16-bit unit is its own inverse, so
// these kernels also turn UYVY into YUY2.
FieldKernelFunction PackYuy2Field_C;
FieldKernelFunction PackYuy2Field_MMX;
FieldKernelFunction PackYuy2Field_SSE;
FieldKernelFunction PackYuy2Field_SSE2;
FieldKernelFunction PackYuy2Field_AMD;
FieldKernelFunction PackYuy2Field_AVX2;

FieldKernelFunction PackYvyuField_C;
FieldKernelFunction PackYvyuField_MMX;
FieldKernelFunction PackYvyuField_SSE;
FieldKernelFunction PackYvyuField_SSE2;
FieldKernelFunction PackYvyuField_AMD;
FieldKernelFunction PackYvyuField_AVX2;

FieldKernelFunction PackY16Field_C;
FieldKernelFunction PackY16Field_MMX;
FieldKernelFunction PackY16Field_SSE;
FieldKernelFunction PackY16Field_SSE2;
FieldKernelFunction PackY16Field_AMD;
FieldKernelFunction PackY16Field_AVX2;

FieldKernelFunction PackY16AField_C;
FieldKernelFunction PackY16AField_MMX;
FieldKernelFunction PackY16AField_SSE;
FieldKernelFunction PackY16AField_SSE2;
FieldKernelFunction PackY16AField_AMD;
FieldKernelFunction PackY16AField_AVX2;

FieldKernelFunction UnpackYvyuField_C;
FieldKernelFunction UnpackYvyuField_MMX;
FieldKernelFunction UnpackYvyuField_SSE;
FieldKernelFunction UnpackYvyuField_SSE2;
FieldKernelFunction UnpackYvyuField_AMD;
FieldKernelFunction UnpackYvyuField_AVX2;

FieldKernelFunction UnpackY16Field_C;
FieldKernelFunction UnpackY16Field_MMX;
FieldKernelFunction UnpackY16Field_SSE;
FieldKernelFunction UnpackY16Field_SSE2;
FieldKernelFunction UnpackY16Field_AMD;
FieldKernelFunction UnpackY16Field_AVX2;
