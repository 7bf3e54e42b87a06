// The dispatch slot of every conversion operation (binding pattern 1). Each slot's kernel
// row is defined beside it in dispatch_slots.cpp; the class mapping is kernel_selection.cpp.
// The RGB operations belong here too, one slot and one row each: gEncodeRgb24FieldSlot,
// gEncodeRgb32FieldSlot and gDecodeRgb24FieldSlot, with rows of their _MMX, _SSE, _SSE2 and
// _AMD kernels (declared with QLNU_DECLARE_FIELD_KERNELS in their own kernel header).
#pragma once

#include "convert/dispatch_slot.h"

extern FieldKernelSlot gPackYuy2FieldSlot;
extern FieldKernelSlot gPackYvyuFieldSlot;
extern FieldKernelSlot gPackY16FieldSlot;
extern FieldKernelSlot gPackY16AFieldSlot;
extern FieldKernelSlot gUnpackYuy2FieldSlot;
extern FieldKernelSlot gUnpackYvyuFieldSlot;
extern FieldKernelSlot gUnpackY16FieldSlot;
extern FieldKernelSlot gEncodeRgb24FieldSlot;
extern FieldKernelSlot gEncodeRgb32FieldSlot;
extern FieldKernelSlot gDecodeRgb24FieldSlot;
