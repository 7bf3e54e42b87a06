#include "convert/dispatch_slot.h"

#include "convert/kernel_selection.h"
#include "convert/mmx_state.h"
#include "platform/fault_guard.h"

static_assert(std::atomic<FieldKernel>::is_always_lock_free);

FieldKernel SelectFieldKernel(const FieldKernelRow& row, CpuClass cpuClass) {
    switch (ConversionVariantFor(cpuClass)) {
        case ConversionVariant::Mmx:
            return row.mmx;
        case ConversionVariant::Sse:
            return row.sse;
        case ConversionVariant::Sse2:
            return Avx2Usable() ? row.avx2 : row.sse2;
        case ConversionVariant::Amd:
            return row.amd;
        case ConversionVariant::None:
            break;
    }
    return nullptr;
}

FieldKernel FieldKernelSlot::Bind() {
    FieldKernel kernel = SelectFieldKernel(row_, GetCpuClass());
    kernel_.store(kernel, std::memory_order_release);
    return kernel;
}

void FieldKernelSlot::Run(BYTE* destination, const BYTE* source, int width, int rows,
                          int destinationStride, int sourceStride) {
    if (width < 16 || rows < 1) {
        return;
    }
    FieldKernel kernel = kernel_.load(std::memory_order_acquire);
    if (kernel == nullptr) {
        kernel = Bind();
    }
    if (kernel == nullptr) {
        return;
    }
    // A kernel cut short by a fault never reached its EMMS.
    if (!RunGuarded(
            [&] { kernel(destination, source, width, rows, destinationStride, sourceStride); })) {
        EmptyMmxState();
    }
}
