// The kernels of the packed-YUV packers and unpackers: the portable reference (_C) and one
// kernel per instruction-set family, each family compiled in its own file with only the
// instructions its processors have. All kernels of one operation write identical bytes.
#pragma once

#include "convert/field_kernel.h"

// YUY2 to UYVY; the exchange of the two bytes of each 16-bit unit is its own inverse, so
// these kernels also turn UYVY into YUY2.
QLNU_DECLARE_FIELD_KERNELS(PackYuy2Field);
QLNU_DECLARE_FIELD_KERNELS(PackYvyuField);
QLNU_DECLARE_FIELD_KERNELS(PackY16Field);
QLNU_DECLARE_FIELD_KERNELS(PackY16AField);
QLNU_DECLARE_FIELD_KERNELS(UnpackYvyuField);
QLNU_DECLARE_FIELD_KERNELS(UnpackY16Field);
