// Every variant of the RGB field conversions. Each takes the arguments of its dispatcher
// (see rgb_to_yuv_tables.h and yuv_to_rgb_tables.h) and converts exactly what the dispatcher
// promises: at least one row, and a width that is a positive multiple of 16.
//
// _C:       portable encoder reference, written straight from the arithmetic.
// _NarrowC: portable encoder reference in the lower-precision arithmetic of the MMX variant.
// _BasicC, _ExtendedC: portable decoder references in its two arithmetics.
// The references read no table. The processor variants (_MMX, _SSE, _SSE2, _AMD, _AVX2) read the
// published coefficient table, so they run only once a table constructor has filled it in
// their class's layout.
#pragma once

#include "convert/field_kernel.h"

FieldKernelFunction EncodeRgb24Field_C;
FieldKernelFunction EncodeRgb24Field_NarrowC;
FieldKernelFunction EncodeRgb24Field_MMX;
FieldKernelFunction EncodeRgb24Field_SSE;
FieldKernelFunction EncodeRgb24Field_SSE2;
FieldKernelFunction EncodeRgb24Field_AMD;
FieldKernelFunction EncodeRgb24Field_AVX2;

FieldKernelFunction EncodeRgb32Field_C;
FieldKernelFunction EncodeRgb32Field_NarrowC;
FieldKernelFunction EncodeRgb32Field_MMX;
FieldKernelFunction EncodeRgb32Field_SSE;
FieldKernelFunction EncodeRgb32Field_SSE2;
FieldKernelFunction EncodeRgb32Field_AMD;
FieldKernelFunction EncodeRgb32Field_AVX2;

FieldKernelFunction DecodeRgb24Field_BasicC;
FieldKernelFunction DecodeRgb24Field_ExtendedC;
FieldKernelFunction DecodeRgb24Field_MMX;
FieldKernelFunction DecodeRgb24Field_SSE;
FieldKernelFunction DecodeRgb24Field_SSE2;
FieldKernelFunction DecodeRgb24Field_AMD;
FieldKernelFunction DecodeRgb24Field_AVX2;
