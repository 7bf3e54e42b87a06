// The one table that maps a processor class to the variant of every binding point:
// conversion kernels (binding pattern 1), coefficient-table layouts (pattern 2) and the fast
// block copy (pattern 3). Every dispatcher and table constructor asks here; nothing else in
// the code compares class values.
#pragma once

#include "convert/cpu_class.h"

// The kernel family a conversion operation runs in. Every conversion operation shares the
// same class mapping, so the per-operation rows (dispatch_slots.cpp) only name their kernels.
enum class ConversionVariant { None, Mmx, Sse, Sse2, Amd };

// The layout of the RGB-to-YUV and YUV-to-RGB coefficient tables.
enum class TableLayout { None, Narrow, Extended, Wide16 };

// The variant of FastCopy. Every class has one.
enum class CopyVariant { Plain, Mmx, Streaming, StreamingSparse, StreamingDescending };

ConversionVariant ConversionVariantFor(CpuClass cpuClass);
TableLayout TableLayoutFor(CpuClass cpuClass);
CopyVariant CopyVariantFor(CpuClass cpuClass);
