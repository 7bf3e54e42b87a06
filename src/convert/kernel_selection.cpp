#include "convert/kernel_selection.h"

namespace {

struct ClassBinding {
    CpuClass cpuClass;
    ConversionVariant conversion;
    TableLayout table;
    CopyVariant copy;
};

// Classes not listed (0, 2 and any other value) convert nothing, fill no table and copy with
// the plain variant. AMD with SSE2 converts with SSE2 but copies with the AMD-style copy.
constexpr ClassBinding kClassBindings[] = {
    {1, ConversionVariant::Mmx, TableLayout::Narrow, CopyVariant::Mmx},
    {3, ConversionVariant::Mmx, TableLayout::Narrow, CopyVariant::Mmx},
    {15, ConversionVariant::Sse, TableLayout::Extended, CopyVariant::Streaming},
    {31, ConversionVariant::Sse2, TableLayout::Wide16, CopyVariant::StreamingSparse},
    {159, ConversionVariant::Sse2, TableLayout::Wide16, CopyVariant::StreamingDescending},
    {135, ConversionVariant::Amd, TableLayout::Extended, CopyVariant::StreamingDescending},
    {143, ConversionVariant::Amd, TableLayout::Extended, CopyVariant::StreamingDescending},
};

constexpr ClassBinding kUnlistedClass{0, ConversionVariant::None, TableLayout::None,
                                      CopyVariant::Plain};

const ClassBinding& BindingFor(CpuClass cpuClass) {
    for (const ClassBinding& binding : kClassBindings) {
        if (binding.cpuClass == cpuClass) {
            return binding;
        }
    }
    return kUnlistedClass;
}

}  // namespace

ConversionVariant ConversionVariantFor(CpuClass cpuClass) {
    return BindingFor(cpuClass).conversion;
}

TableLayout TableLayoutFor(CpuClass cpuClass) {
    return BindingFor(cpuClass).table;
}

CopyVariant CopyVariantFor(CpuClass cpuClass) {
    return BindingFor(cpuClass).copy;
}
