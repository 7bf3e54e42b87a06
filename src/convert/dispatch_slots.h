// The dispatch slot of every conversion operation. Each slot's kernel row is defined beside
// it in dispatch_slots.cpp; the class mapping is kernel_selection.cpp.
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
