// The one table that maps a processor class to the variant of every binding point. Every
// dispatcher and table constructor asks here; nothing else in the code compares class values.
//
// A processor-specific choice is bound in one of three ways, each suited to what it binds:
// - Dispatch slot (dispatch_slot.h): one atomic kernel pointer per conversion operation,
//   empty until the first call, which classifies the processor and stores the kernel of its
//   class. A class without a conversion variant leaves the slot empty, and every call asks
//   again. Each call runs the kernel inside a fault guard.
// - Table filled once (coefficient_table.h): the coefficient table of the RGB kernels, which
//   the converters' constructors fill in the layout of the class, once per process, and
//   publish whole; the kernels read it, never the class.
// - Self-replacing copy slot (codec/fast_copy.cpp): FastCopy's pointer starts out as a
//   resolver that classifies, puts the variant of the class in its own place and copies with
//   it, so that later copies go straight to the variant. Every class has a copy variant.
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
