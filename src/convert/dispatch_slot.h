// The dispatch slot of one conversion operation (see kernel_selection.h for the three ways
// a kernel is bound). Two threads binding at once store the same kernel. A fault in the kernel
// ends the call quietly, leaving what was written; a width below 16 or fewer than one row
// reaches no kernel.
//
// Adding an operation: declare its kernels, then define a slot from a kernel row, e.g.
//     FieldKernelSlot gPackYuy2FieldSlot{{PackYuy2Field_MMX, PackYuy2Field_SSE,
//                                         PackYuy2Field_SSE2, PackYuy2Field_AMD,
//                                         PackYuy2Field_AVX2}};
// in dispatch_slots.cpp (declared in dispatch_slots.h), and have the dispatcher call
//     gPackYuy2FieldSlot.Run(destination, source, width, rows, destinationStride, sourceStride);
#pragma once

#include <atomic>

#include "convert/cpu_class.h"
#include "convert/field_kernel.h"

// One operation's row of the binding table: its kernel in each variant family.
struct FieldKernelRow {
    FieldKernel mmx;
    FieldKernel sse;
    FieldKernel sse2;
    FieldKernel amd;
    FieldKernel avx2;
};

// The kernel of `row` for `cpuClass`, or null where the class has no conversion variant. Where
// the class picks SSE2 and Avx2Usable() says so, the AVX2 kernel.
FieldKernel SelectFieldKernel(const FieldKernelRow& row, CpuClass cpuClass);

class FieldKernelSlot {
public:
    constexpr explicit FieldKernelSlot(const FieldKernelRow& row) : row_(row) {}
    FieldKernelSlot(const FieldKernelSlot&) = delete;
    FieldKernelSlot& operator=(const FieldKernelSlot&) = delete;

    void Run(BYTE* destination, const BYTE* source, int width, int rows, int destinationStride,
             int sourceStride);

    // The kernels the slot chooses from.
    const FieldKernelRow& Row() const { return row_; }
    // What the slot holds now (null while empty).
    FieldKernel Bound() const { return kernel_.load(std::memory_order_acquire); }
    // Empties the slot, so the next call binds again.
    void ResetForTesting() { kernel_.store(nullptr, std::memory_order_release); }

private:
    FieldKernel Bind();

    const FieldKernelRow& row_;
    std::atomic<FieldKernel> kernel_{nullptr};
};
