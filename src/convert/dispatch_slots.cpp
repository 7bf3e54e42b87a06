#include "convert/dispatch_slots.h"

#include "convert/repack_kernels.h"
#include "convert/rgb_field_kernels.h"

namespace {

constexpr FieldKernelRow kYuy2Kernels{PackYuy2Field_MMX, PackYuy2Field_SSE, PackYuy2Field_SSE2,
                                      PackYuy2Field_AMD, PackYuy2Field_AVX2};
constexpr FieldKernelRow kPackYvyuKernels{PackYvyuField_MMX, PackYvyuField_SSE, PackYvyuField_SSE2,
                                          PackYvyuField_AMD, PackYvyuField_AVX2};
constexpr FieldKernelRow kPackY16Kernels{PackY16Field_MMX, PackY16Field_SSE, PackY16Field_SSE2,
                                         PackY16Field_AMD, PackY16Field_AVX2};
constexpr FieldKernelRow kPackY16AKernels{PackY16AField_MMX, PackY16AField_SSE, PackY16AField_SSE2,
                                          PackY16AField_AMD, PackY16AField_AVX2};
constexpr FieldKernelRow kUnpackYvyuKernels{UnpackYvyuField_MMX, UnpackYvyuField_SSE,
                                            UnpackYvyuField_SSE2, UnpackYvyuField_AMD,
                                            UnpackYvyuField_AVX2};
constexpr FieldKernelRow kUnpackY16Kernels{UnpackY16Field_MMX, UnpackY16Field_SSE,
                                           UnpackY16Field_SSE2, UnpackY16Field_AMD,
                                           UnpackY16Field_AVX2};
constexpr FieldKernelRow kEncodeRgb24Kernels{EncodeRgb24Field_MMX, EncodeRgb24Field_SSE,
                                             EncodeRgb24Field_SSE2, EncodeRgb24Field_AMD,
                                             EncodeRgb24Field_AVX2};
constexpr FieldKernelRow kEncodeRgb32Kernels{EncodeRgb32Field_MMX, EncodeRgb32Field_SSE,
                                             EncodeRgb32Field_SSE2, EncodeRgb32Field_AMD,
                                             EncodeRgb32Field_AVX2};
constexpr FieldKernelRow kDecodeRgb24Kernels{DecodeRgb24Field_MMX, DecodeRgb24Field_SSE,
                                             DecodeRgb24Field_SSE2, DecodeRgb24Field_AMD,
                                             DecodeRgb24Field_AVX2};

}  // namespace

FieldKernelSlot gPackYuy2FieldSlot{kYuy2Kernels};
FieldKernelSlot gPackYvyuFieldSlot{kPackYvyuKernels};
FieldKernelSlot gPackY16FieldSlot{kPackY16Kernels};
FieldKernelSlot gPackY16AFieldSlot{kPackY16AKernels};
// The unpacker binds the very kernels of the packer, through a slot of its own.
FieldKernelSlot gUnpackYuy2FieldSlot{kYuy2Kernels};
FieldKernelSlot gUnpackYvyuFieldSlot{kUnpackYvyuKernels};
FieldKernelSlot gUnpackY16FieldSlot{kUnpackY16Kernels};
FieldKernelSlot gEncodeRgb24FieldSlot{kEncodeRgb24Kernels};
FieldKernelSlot gEncodeRgb32FieldSlot{kEncodeRgb32Kernels};
FieldKernelSlot gDecodeRgb24FieldSlot{kDecodeRgb24Kernels};
