// The dispatch slots of the RGB conversions (binding pattern 1), beside the packed-YUV ones
// of dispatch_slots.h and bound through the same class mapping.
#pragma once

#include "convert/dispatch_slot.h"

extern FieldKernelSlot gEncodeRgb24FieldSlot;
extern FieldKernelSlot gEncodeRgb32FieldSlot;
extern FieldKernelSlot gDecodeRgb24FieldSlot;
