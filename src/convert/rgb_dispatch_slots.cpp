#include "convert/rgb_dispatch_slots.h"

#include "convert/rgb_field_kernels.h"

namespace {

constexpr FieldKernelRow kEncodeRgb24Kernels{EncodeRgb24Field_MMX, EncodeRgb24Field_SSE,
                                             EncodeRgb24Field_SSE2, EncodeRgb24Field_AMD};
constexpr FieldKernelRow kEncodeRgb32Kernels{EncodeRgb32Field_MMX, EncodeRgb32Field_SSE,
                                             EncodeRgb32Field_SSE2, EncodeRgb32Field_AMD};
constexpr FieldKernelRow kDecodeRgb24Kernels{DecodeRgb24Field_MMX, DecodeRgb24Field_SSE,
                                             DecodeRgb24Field_SSE2, DecodeRgb24Field_AMD};

}  // namespace

FieldKernelSlot gEncodeRgb24FieldSlot{kEncodeRgb24Kernels};
FieldKernelSlot gEncodeRgb32FieldSlot{kEncodeRgb32Kernels};
FieldKernelSlot gDecodeRgb24FieldSlot{kDecodeRgb24Kernels};
